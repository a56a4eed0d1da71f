// The shift at a glance: how many readers the station has tested in each
// mode, how many passed and failed, and the runs that judged no reader.
#pragma once

#include <cstdint>
#include <string>

namespace talven {

enum class VerdictWord : std::uint8_t;

// What one GO makes of the counts.
enum class RunJudgement : std::uint8_t {
    None,       // nothing was shown: not counted
    Passed,     // the reader passed: every slot, or its EEPROM written and read back
    Failed,     // the reader failed its test
    NotJudged,  // a verdict was shown but no reader judged: a stop, an empty slot, no reader
};

struct ModeCounts {
    std::uint32_t passed = 0;
    std::uint32_t failed = 0;
    std::uint32_t notJudged = 0;

    std::uint32_t Tested() const { return passed + failed; }
    void Add(RunJudgement judgement);
    bool operator==(const ModeCounts&) const = default;
};

struct ShiftCounts {
    ModeCounts test;    // the read/write test
    ModeCounts eeprom;  // write EEPROM

    ModeCounts& Of(bool eepromMode) { return eepromMode ? eeprom : test; }
    bool operator==(const ShiftCounts&) const = default;
};

// "Tested 12   Passed 11   Failed 1   Yield 91.7 %   Not judged 2".
std::string CountsText(const ModeCounts& counts);
// The record's line on a reset: the counts that went.
std::string CountsResetText(const ModeCounts& counts);

// The verdicts of one GO as they come. A read/write test judges its reader
// only in the test sequence over its four slots: a verdict of discovery (an
// empty slot, no reader) judges none.
class RunTally {
public:
    void StartSequence() { inSequence = true; }
    void Add(VerdictWord word);
    // The programming run knows its judgement itself.
    void Judge(RunJudgement judgement) { decided = judgement; }
    RunJudgement Judgement() const;

private:
    bool inSequence = false;
    bool shown = false;
    std::uint32_t passes = 0;
    bool failed = false;
    RunJudgement decided = RunJudgement::None;
};

}  // namespace talven
