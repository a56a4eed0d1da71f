// The verdict record's CSV text: fields in forms a spreadsheet keeps as
// written, lines quoted as RFC 4180 says and split back into fields, and
// what the end of a record file holds.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "record/RecordColumns.h"

namespace talven {

// Lines with the identity but not the columns added after it.
inline constexpr std::size_t kIdentifiedRecordColumns = kRecordLineColumn + 1;

// A station text (Windows code page) as UTF-8, control characters as
// blanks, so that every line of the record is one line of text.
std::string RecordText(const std::string& text);
// "2026-12-07 22:01:50": a spreadsheet reads it as a date and time.
std::string RecordTime(const LocalTime& time);
// "UTC+01:00": a spreadsheet keeps it as text and never takes it for a time.
std::string RecordUtcOffset(const LocalTime& time);
// Forms a spreadsheet keeps as text: "0x2E10" for an ID, "v1.00" for the
// version ("v1.00 simulated" for the trainer's), and "#000123" for a serial
// it would otherwise take for a number.
std::string RecordHex(const std::string& digits);
std::string RecordVersion(const std::string& version, bool simulated = false);
std::string RecordSerial(const std::string& serial);

// The fields as one CSV line with its line end.
std::string CsvLine(const std::vector<std::string>& fields);
// The fields of one line, quotes undone.
std::vector<std::string> SplitCsvLine(const std::string& line);
// The run number of a line of the record whose fields start at
// `firstColumn`; `numbered` is false when it is no such line.
std::uint32_t RecordRun(const std::vector<std::string>& fields, bool& numbered, std::size_t firstColumn = 0);
// Whether `written`, a line of a file, is `line` as the record made it, its
// run perhaps renumbered. A line a power cut tore and that was ended later
// holds fewer fields than its line was made with, and is not it; a line an
// earlier version made may be written with the columns added since, empty.
bool SameRecordLine(const std::vector<std::string>& written, const std::vector<std::string>& line);

// What the end of a record file holds. Bytes after its last line end (a
// line cut off, NUL bytes a power cut left) are no line: they are passed
// over, however far back the last whole line lies.
struct RecordTail {
    FileResult result = FileResult::Failed;
    std::uint64_t size = 0;
    // What ends the file's last line when a power cut left it open: CR LF,
    // or LF after a lone CR; empty when the file is empty or ends a line.
    std::string finish;
    std::uint32_t highestRun = 0;
    // The fields of that open last line, a lone CR left off, and its bytes
    // as far as the tail holds them.
    std::vector<std::string> openLine;
    std::string openText;
    // The sought lines that whole lines of the tail hold, by identity, with their runs.
    std::map<std::string, std::uint32_t> found;
};

// Lines looked for in a file, by their identity: their fields.
using SoughtLines = std::map<std::string, std::vector<std::string>>;

// Reads back as far as it takes to find every sought line, up to the
// file's start or 64 MiB.
RecordTail ReadRecordTail(Platform& platform, const std::string& path, const SoughtLines& sought = {});

// A whole file's bytes, or as much of its end as the record ever reads.
std::string ReadRecordFile(Platform& platform, const std::string& path, FileResult& result);

}  // namespace talven
