// What the line report counts as it reads the record, line by line: each
// GO judged by the rule of the station's counts line, and everything the
// page shows kept as counts per period, per hour, per station and per slot
// position, so that memory follows what the page shows, not the lines read.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "production/ShiftCounts.h"
#include "report/RecordFiles.h"
#include "report/RecordRow.h"
#include "report/ReportDates.h"
#include "report/SlotSuspicion.h"
#include "report/SpeedHistogram.h"

namespace talven {

// One position of a station: readers it failed, per period and over all.
struct PositionFailures {
    std::vector<std::uint32_t> failed;  // per period
    std::uint32_t total = 0;
};

struct StationTally {
    std::string name;
    std::vector<std::uint32_t> readers;       // read/write-tested readers judged, per period
    std::uint32_t readersTotal = 0;
    std::map<char, PositionFailures> positions;  // by drive letter
    SlotStreaks streaks;
};

struct SpeedCell {
    SpeedHistogram write, read;
};

// Where a serial was seen: the station and time, and whether it was written
// there or a tested reader carried it.
struct SerialPlace {
    std::uint64_t number = 0;
    std::uint32_t block = 0;
    std::uint16_t station = 0;
    bool tested = false;
    RecordMoment moment;
};

struct SerialBlock {
    std::string prefix;
    std::size_t width = 0;  // the digits after the prefix
};

struct UnreadableLine {
    std::string file;
    std::uint32_t line = 0;
    std::string reason;
};

// How often a text was seen, and when first and last.
struct Occurrences {
    std::uint32_t count = 0;
    RecordMoment first, last;
    void Add(const RecordMoment& moment);
};

class LineTally {
public:
    LineTally(ReportPeriods periods, bool simulated);

    void BeginFile(const RecordFileName& file);
    void AddLine(std::string_view line, std::uint32_t number);
    // `result` is how the reading ended.
    void EndFile(FileResult result);

    const ReportPeriods& Periods() const { return periods; }
    std::size_t FilesRead() const { return filesRead; }
    std::uint64_t LinesRead() const { return linesRead; }
    std::uint64_t Runs() const { return runs; }

    // Readers counted by station, mode and period; modes by name.
    std::map<std::tuple<std::uint16_t, std::uint16_t, std::uint32_t>, ModeCounts> counts;
    std::vector<std::string> modes;
    std::vector<bool> modeIsEeprom;
    std::vector<StationTally> stations;
    // Failures by message, per mode.
    std::vector<std::map<std::string, std::uint32_t>> messages;
    // Speeds by station, slot position and hour of the report.
    std::map<std::tuple<std::uint16_t, char, std::uint32_t>, SpeedCell> speeds;
    std::vector<SerialBlock> blocks;
    std::vector<SerialPlace> serials;
    std::uint64_t unreadableCount = 0;
    std::vector<UnreadableLine> unreadable;  // the first of them, named
    std::map<std::string, std::uint32_t> unreadableByFile;
    std::vector<std::pair<std::string, FileResult>> unreadFiles;
    std::map<std::pair<std::string, std::string>, Occurrences> refusals;  // station, reason
    std::map<std::pair<std::string, std::string>, Occurrences> warnings;  // station, warning

private:
    struct GoRow {
        VerdictWord word = VerdictWord::Fail;
        char position = 0;
        std::string verdict;
        std::string serial;
    };

    void Unreadable(std::uint32_t line, std::string reason);
    void TakeRow(const RecordRow& row, VerdictWord word);
    void EndRun();
    void CountPositions(RunJudgement judgement, std::size_t period);
    void AddSerial(const std::string& serial, bool tested, const RecordMoment& moment);
    std::uint16_t ModeIndex(std::string_view mode);
    std::uint16_t Station(const std::string& name);

    ReportPeriods periods;
    bool simulated;
    std::string fileName;
    std::uint16_t station = 0;
    bool fileSimulated = false;
    RowColumns columns;
    bool headerSeen = false;
    std::vector<std::string> fields;
    // The GO being read: rows of one run number in one file.
    bool inRun = false;
    std::uint32_t run = 0;
    std::uint16_t mode = 0;
    RecordMoment runStart;
    std::vector<GoRow> runRows;
    std::size_t filesRead = 0;
    std::uint64_t linesRead = 0;
    std::uint64_t runs = 0;
    std::map<std::string, std::uint32_t> blockIndex;
};

// The job a GO's recorded rows show: a row of a reader's slot means the
// job judged a reader, while a GO of rows without one found no reader.
GoJob RecordedJob(bool eeprom, bool slotShown);

}  // namespace talven
