// The verdict record's CSV text: fields in forms a spreadsheet keeps as
// written, lines quoted as RFC 4180 says and split back into fields, and
// what the end of a record file holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "record/RecordColumns.h"

namespace talven {

// A station text (Windows code page) as UTF-8, control characters as
// blanks, so that every line of the record is one line of text.
std::string RecordText(const std::string& text);
// "2026-12-07 22:01:50": a spreadsheet reads it as a date and time.
std::string RecordTime(const LocalTime& time);
// "UTC+01:00": a spreadsheet keeps it as text and never takes it for a time.
std::string RecordUtcOffset(const LocalTime& time);
// Forms a spreadsheet keeps as text: "0x2E10" for an ID, "v1.00" for the
// version, and "#000123" for a serial it would otherwise take for a number.
std::string RecordHex(const std::string& digits);
std::string RecordVersion(const std::string& version);
std::string RecordSerial(const std::string& serial);

// The fields as one CSV line with its line end.
std::string CsvLine(const std::vector<std::string>& fields);
// The fields of one line, quotes undone.
std::vector<std::string> SplitCsvLine(const std::string& line);
// The run number of a line of the record whose fields start at
// `firstColumn`; `numbered` is false when it is no such line.
std::uint32_t RecordRun(const std::vector<std::string>& fields, bool& numbered, std::size_t firstColumn = 0);

// What the end of a record file holds. Bytes after its last line end (a
// line cut off, NUL bytes a power cut left) are no line: they are passed
// over, however far back the last whole line lies.
struct RecordTail {
    FileResult result = FileResult::Failed;
    std::uint64_t size = 0;
    bool endsWithLineEnd = true;  // also when the file is empty
    std::uint32_t highestRun = 0;
    // The identity and run of the file's last whole line; empty when it has none.
    std::string lastLine;
    std::uint32_t lastLineRun = 0;
};

RecordTail ReadRecordTail(Platform& platform, const std::string& path);

// A whole file's bytes, or as much of its end as the record ever reads.
std::string ReadRecordFile(Platform& platform, const std::string& path, FileResult& result);

}  // namespace talven
