// A GO's rows once its last one is read: its judgement in the counts, the
// slot position a failed reader failed in, its failure's message, its serial.
#include <algorithm>

#include "report/LineTally.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

constexpr std::size_t kMessagesAMode = 30;
constexpr std::size_t kPositions = 8;

// "TV000123": the prefix "TV", 6 digits, the number 123.
bool SplitSerial(const std::string& serial, std::string& prefix, std::size_t& width, std::uint64_t& number) {
    const std::size_t digits = serial.find_last_not_of("0123456789") + 1;
    width = serial.size() - digits;
    if (width == 0 || width > 18) return false;
    prefix = serial.substr(0, digits);
    number = std::stoull(serial.substr(digits));
    return true;
}

}  // namespace

void LineTally::EndRun() {
    inRun = false;
    const bool eeprom = modeIsEeprom[mode];
    std::vector<VerdictWord> words;
    bool slotShown = false;
    for (const GoRow& row : runRows) {
        words.push_back(row.word);
        slotShown = slotShown || row.position != 0;
    }
    // The station's own rule, the one its counts line is made by.
    const RunJudgement judgement = JudgeReader(words, RecordedJob(eeprom, slotShown));
    std::size_t period = 0;
    if (!periods.PeriodOf(runStart, period)) return;
    ++runs;
    counts[{station, mode, static_cast<std::uint32_t>(period)}].Add(judgement);
    for (const GoRow& row : runRows) {
        if (row.word != VerdictWord::Fail || row.position == 0) continue;
        std::map<std::string, std::uint32_t>& texts = messages[mode];
        if (texts.size() < kMessagesAMode || texts.count(row.verdict) != 0) ++texts[row.verdict];
        else ++texts[StringText(IDS_REPORT_OTHER_MESSAGES)];
    }
    for (const GoRow& row : runRows) {
        if (row.serial.empty()) continue;
        if (!eeprom || row.word == VerdictWord::Pass) AddSerial(row.serial, !eeprom, runStart);
        break;
    }
    if (!eeprom) CountPositions(judgement, period);
}

// Readers of the read/write test: the slot each failed in, and the streaks of
// each position, as the station keeps them.
void LineTally::CountPositions(RunJudgement judgement, std::size_t period) {
    if (judgement != RunJudgement::Passed && judgement != RunJudgement::Failed) return;
    StationTally& tally = stations[station];
    ++tally.readers[period];
    ++tally.readersTotal;
    for (const GoRow& row : runRows) {
        if (row.position == 0 || (row.word != VerdictWord::Pass && row.word != VerdictWord::Fail)) continue;
        if (row.word == VerdictWord::Pass) {
            tally.streaks.Passed(row.position);
            continue;
        }
        tally.streaks.Failed(row.position);
        if (tally.positions.size() == kPositions && tally.positions.count(row.position) == 0) continue;
        PositionFailures& position = tally.positions[row.position];
        if (position.failed.empty()) position.failed.assign(periods.Count(), 0);
        ++position.failed[period];
        ++position.total;
    }
    // A position that only ever passed is a position all the same.
    for (const GoRow& row : runRows)
        if (row.position != 0 && tally.positions.size() < kPositions && tally.positions.count(row.position) == 0)
            tally.positions[row.position].failed.assign(periods.Count(), 0);
}

void LineTally::AddSerial(const std::string& serial, bool tested, const RecordMoment& moment) {
    SerialPlace place;
    place.station = station;
    place.tested = tested;
    place.moment = moment;
    SerialBlock block;
    // A serial without digits at its end is a block of its own.
    if (!SplitSerial(serial, block.prefix, block.width, place.number)) block.prefix = serial;
    const std::string key = block.prefix + '\n' + std::to_string(block.width);
    const auto [found, added] = blockIndex.emplace(key, static_cast<std::uint32_t>(blocks.size()));
    if (added) blocks.push_back(std::move(block));
    place.block = found->second;
    serials.push_back(place);
}

}  // namespace talven
