#include "report/LineTally.h"

#include <algorithm>
#include <cstdio>

#include "resources/StringTable.h"

namespace talven {

namespace {

constexpr std::size_t kNamedUnreadable = 200;
constexpr std::size_t kModes = 8;
constexpr std::size_t kStations = 500;

bool Before(const RecordMoment& a, const RecordMoment& b) {
    return a.day != b.day ? a.day < b.day : a.minute < b.minute;
}

}  // namespace

GoJob RecordedJob(bool eeprom, bool slotShown) {
    if (!slotShown) return GoJob::None;
    return eeprom ? GoJob::Eeprom : GoJob::TestSequence;
}

void Occurrences::Add(const RecordMoment& moment) {
    if (count == 0 || Before(moment, first)) first = moment;
    if (count == 0 || Before(last, moment)) last = moment;
    ++count;
}

LineTally::LineTally(ReportPeriods periods, bool simulated) : periods(std::move(periods)), simulated(simulated) {}

std::uint16_t LineTally::Station(const std::string& name) {
    for (std::size_t i = 0; i < stations.size(); ++i)
        if (stations[i].name == name) return static_cast<std::uint16_t>(i);
    if (stations.size() == kStations) return static_cast<std::uint16_t>(kStations - 1);
    StationTally tally;
    tally.name = name;
    tally.readers.assign(periods.Count(), 0);
    stations.push_back(std::move(tally));
    return static_cast<std::uint16_t>(stations.size() - 1);
}

std::uint16_t LineTally::ModeIndex(std::string_view name) {
    for (std::size_t i = 0; i < modes.size(); ++i)
        if (modes[i] == name) return static_cast<std::uint16_t>(i);
    if (modes.size() == kModes) return static_cast<std::uint16_t>(kModes - 1);
    modes.emplace_back(name);
    modeIsEeprom.push_back(name == StringText(IDS_WRITE_EEPROM));
    messages.emplace_back();
    return static_cast<std::uint16_t>(modes.size() - 1);
}

void LineTally::BeginFile(const RecordFileName& file) {
    fileName = file.name;
    station = Station(file.computer);
    fileSimulated = file.simulated;
    columns = DefaultColumns();
    headerSeen = false;
    ++filesRead;
}

void LineTally::Unreadable(std::uint32_t line, std::string reason) {
    ++unreadableCount;
    ++unreadableByFile[fileName];
    if (unreadable.size() < kNamedUnreadable) unreadable.push_back({fileName, line, std::move(reason)});
}

void LineTally::AddLine(std::string_view line, std::uint32_t number) {
    ++linesRead;
    if (line.empty()) return;
    SplitFields(line, fields);
    if (!headerSeen && ReadHeader(fields, columns)) {
        headerSeen = true;
        return;
    }
    headerSeen = true;
    RecordRow row;
    std::string problem = ReadRow(fields, columns, row);
    VerdictWord word = VerdictWord::Fail;
    if (problem.empty() && !ParseVerdictWord(row.result, word)) {
        char text[256];
        std::snprintf(text, sizeof text, StringText(IDS_REPORT_UNKNOWN_RESULT), std::string(row.result.substr(0, 40)).c_str());
        problem = text;
    }
    if (line.find('\0') != std::string_view::npos) problem = StringText(IDS_REPORT_NUL_BYTES);
    if (!problem.empty()) return Unreadable(number, std::move(problem));
    // The trainer's file or its line says so: either holds the trainer's run.
    if ((fileSimulated || row.simulated) != simulated || word == VerdictWord::Reset) return;
    TakeRow(row, word);
}

void LineTally::TakeRow(const RecordRow& row, VerdictWord word) {
    if (inRun && row.run != run) EndRun();
    if (!inRun) {
        inRun = true;
        run = row.run;
        runStart = row.moment;
        mode = ModeIndex(row.mode);
        runRows.clear();
        if (!row.warning.empty() && word != VerdictWord::Refused)
            warnings[{stations[station].name, std::string(row.warning)}].Add(row.moment);
    }
    GoRow go{word, SlotPosition(row.drive), std::string(row.verdict), std::string(row.serial)};
    if (word == VerdictWord::Refused)
        refusals[{stations[station].name, std::string(row.warning.empty() ? row.verdict : row.warning)}].Add(
            row.moment);
    if (!modeIsEeprom[mode] && go.position != 0 && (row.writeSpeed >= 0 || row.readSpeed >= 0) && row.moment.day >= periods.First() &&
        row.moment.day <= periods.Last()) {
        const auto hour = static_cast<std::uint32_t>((row.moment.day - periods.First()) * 24 + row.moment.minute / 60);
        SpeedCell& cell = speeds[{station, go.position, hour}];
        if (row.writeSpeed >= 0) cell.write.Add(row.writeSpeed);
        if (row.readSpeed >= 0) cell.read.Add(row.readSpeed);
    }
    runRows.push_back(std::move(go));
}

void LineTally::EndFile(FileResult result) {
    // Run numbers start anew in each file: a GO is a file's and a run's.
    if (inRun) EndRun();
    if (result != FileResult::Done) unreadFiles.emplace_back(fileName, result);
}

}  // namespace talven
