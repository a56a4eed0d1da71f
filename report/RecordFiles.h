// The record files of a folder as the line report reads them: which station
// and day a file holds by its name alone, and its lines read a piece at a
// time, so that a file of any length takes the same memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace talven {

struct RecordFileName {
    std::string name;
    std::int32_t day = 0;
    std::string computer;
    bool simulated = false;  // the trainer's: "TalvenSim-..."
};

// "Talven-YYYY-MM-DD-COMPUTER.csv" or "TalvenSim-YYYY-MM-DD-COMPUTER.csv";
// false for any other name.
bool ParseRecordFileName(const std::string& name, RecordFileName& file);

// The folder's record files from day `first` to day `last`, by day, then
// by station; only their names are looked at.
FileResult ListRecordFiles(Platform& platform, const std::string& folder, std::int32_t first, std::int32_t last,
                           bool simulated, std::vector<RecordFileName>& files);

// A file's lines, one at a time, without their line ends; a byte-order mark
// before the first is dropped.
class RecordLines {
public:
    RecordLines(Platform& platform, std::string path);
    // The next line and its number (1 = the first); false at the end or
    // when a read fails (Result() says which).
    bool Next(std::string_view& line, std::uint32_t& number);
    FileResult Result() const { return result; }
    // The last line had no line end: cut off, or still being written.
    bool Unended() const { return unended; }

private:
    bool Fill();

    Platform& platform;
    std::string path;
    std::string buffer;
    std::size_t start = 0;
    std::uint64_t offset = 0;
    std::uint32_t lineNumber = 0;
    bool atEnd = false;
    bool unended = false;
    FileResult result = FileResult::Done;
};

}  // namespace talven
