// One line of a record file as the line report takes it: its fields found
// by the names of the file's own header line, so that a file of an older
// version, with fewer columns, reads as well as a new one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/ReportDates.h"

namespace talven {

// Where the columns the report reads stand in a file; -1 when it has none.
struct RowColumns {
    int time = -1, mode = -1, run = -1, drive = -1, verdict = -1, result = -1, writeSpeed = -1, readSpeed = -1,
        serial = -1, warning = -1, lot = -1, simulated = -1;
    // The index past the last column a line must have to be read.
    std::size_t needed = 0;
};

// The columns as the header line names them; false when it is no header.
bool ReadHeader(const std::vector<std::string>& fields, RowColumns& columns);
// The columns of a file without a header line: the oldest order.
RowColumns DefaultColumns();

// The fields of a CSV line, quotes undone, into `fields` (its strings reused).
void SplitFields(std::string_view line, std::vector<std::string>& fields);

struct RecordRow {
    RecordMoment moment;
    std::uint32_t run = 0;
    std::string_view mode, drive, verdict, result, serial, warning, lot;
    // MB/s; negative where the line holds none.
    double writeSpeed = -1;
    double readSpeed = -1;
    bool simulated = false;
};

// The row of a line's fields; empty on success, else why the line cannot be read.
std::string ReadRow(const std::vector<std::string>& fields, const RowColumns& columns, RecordRow& row);

}  // namespace talven
