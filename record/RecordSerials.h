// The serials the record's files hold: what every station that shares the
// record folder wrote, so that a station whose state file was lost, copied
// anew or restored from an old copy never hands one of them out again.
//
// Reading a year of a busy folder takes seconds, so what was read is kept in
// an index beside the state file: each file's name and how far it was read,
// and the serials found, as ranges. The index is a cache, never the only
// copy: without it, or with one that no longer fits the folder, the files
// are read again from their start.
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
};

struct RecordSerialScan {
    // Done, or why the folder, a file of it or the spool could not be read.
    FileResult result = FileResult::Done;
    SerialRanges serials;
};

// Called after each file read: files read so far of those to read.
using ScanProgress = std::function<void(std::size_t read, std::size_t total)>;

// The serials of every record file in `folder` ("Talven*.csv", whoever
// wrote it) and of the spool at `spoolPath`, read on from the index at
// `indexPath`, which is written anew when it changed.
RecordSerialScan ScanRecordSerials(Platform& platform, const std::string& folder, const std::string& spoolPath,
                                   const std::string& indexPath, const ScanProgress& progress = {});

// The index beside the state file of the settings at `settingsPath`.
std::string RecordIndexPath(const std::string& settingsPath);

}  // namespace talven
