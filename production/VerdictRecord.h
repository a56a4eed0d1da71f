// The verdict record: every verdict the station shows becomes one line of a
// CSV file, one file a day and station, so that the line can answer later
// which reader failed where and how fast each slot was.
//
// Nothing shown is lost: a line that cannot be written waits in memory and
// goes out, in order, with the next write that succeeds.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "production/ProductionRuns.h"

namespace talven {

// Reset is no verdict: the line that says when the shift's counts were reset.
enum class VerdictWord : std::uint8_t { Pass, Fail, Stop, Empty, Reset };

struct Verdict {
    std::string mode;  // the mode's name, as GO's tip shows it
    std::uint32_t run = 0;
    std::string chip;  // the chip text as the status line shows it
    std::string drive;
    std::string product;
    std::string text;  // the verdict exactly as shown
    VerdictWord word = VerdictWord::Fail;
    std::optional<TestFigures> figures;  // the read/write test's
    // The programming run's, from the image it wrote.
    std::string vendorId;
    std::string productId;
    std::string serial;
    std::string checksum;
};

// The columns of the record, in their order; the header line of every file.
inline constexpr const char* kRecordHeader =
    "time,computer,version,mode,run,chip,drive,product,verdict,result,MiB tested,write MB/s,read MB/s,seconds,"
    "VID,PID,serial,checksum";

class VerdictRecord {
public:
    // The folder is read from the settings at every write; `version` is the
    // program's, as its version record holds it.
    VerdictRecord(Platform& platform, const char* settingsPath, std::string version)
        : platform(platform), settingsPath(settingsPath), version(std::move(version)) {}

    // The number of a new run: one more than the last one in today's file.
    std::uint32_t StartRun();
    // Stamps the verdict with the time and the computer, queues its line and
    // writes every line that waits.
    void Add(const Verdict& verdict);
    // Writes the lines that wait, oldest first; true when none is left.
    bool Flush();

    std::size_t Waiting() const { return waiting.size(); }
    // Why the last write failed; Done while nothing waits.
    FileResult Trouble() const { return trouble; }
    // The folder the settings name, taken from the program's folder when relative.
    std::string Folder() const;
    // "Talven-YYYY-MM-DD-COMPUTER.csv": every station writes a file of its own,
    // also when several share one folder.
    std::string FileName(const LocalTime& time) const;

private:
    struct Line {
        std::string fileName;
        std::uint32_t run = 0;
        std::string text;  // with its line end
    };

    std::string Computer() const;
    std::string Format(const Verdict& verdict, const LocalTime& time) const;
    FileResult MakeFolder(const std::string& folder);
    FileResult WriteLine(const std::string& path, const std::string& text);
    // The highest run number in the file and among the lines waiting for it;
    // `known` is false when the file could not be read.
    std::uint32_t LastRun(const std::string& fileName, bool& known);

    Platform& platform;
    const char* settingsPath;
    std::string version;
    std::deque<Line> waiting;
    FileResult trouble = FileResult::Done;
    std::string runFile;
    std::uint32_t lastRun = 0;
    bool runKnown = false;
};

// The status line's note on a record that is behind; empty when none waits.
std::string RecordBehindText(const VerdictRecord& record, const ProductionView& view);

}  // namespace talven
