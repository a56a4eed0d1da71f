// Serials handed out, as ranges of each series: what the record's files
// hold, read by the record and weighed against the state file when a serial
// is taken.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "settings/SerialBlock.h"

namespace talven {

// Serials as ranges of each series (prefix without regard to case, and width).
class SerialRanges {
public:
    void Add(const SerialNumber& serial) { Add(serial, serial.number); }
    // low to high of low's series.
    void Add(const SerialNumber& low, std::uint64_t high);
    // The highest serial of `block` among them.
    std::optional<std::uint64_t> HighestIn(const SerialBlock& block) const;
    // "serials=LOW<TAB>HIGH" lines, and their reading.
    std::string Lines() const;
    bool AddLine(const std::string& value);

private:
    struct Series {
        SerialNumber spelling;  // the first serial seen of it, for writing
        std::map<std::uint64_t, std::uint64_t> ranges;  // low to high, apart
    };
    std::map<std::string, Series> series;
    // The last series added to and its key: a file's lines are of one series.
    std::string lastPrefix;
    std::uint32_t lastWidth = 0;
    std::string lastKey;
};

struct RecordSerialScan {
    // Done, or why the folder, a file of it or the spool could not be read.
    FileResult result = FileResult::Done;
    SerialRanges serials;
};

// Called after each file read: files read so far of those to read.
using ScanProgress = std::function<void(std::size_t read, std::size_t total)>;

// How a serial's taker reads the record: the record is above the runs.
using RecordSerialReader = std::function<RecordSerialScan()>;

}  // namespace talven
