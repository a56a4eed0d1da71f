// The shift at a glance: how many readers the station has tested in each
// mode, how many passed and failed, and the runs that judged no reader.
#pragma once

#include <cstdint>
#include <string>

#include "production/Verdict.h"

namespace talven {

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

// The counts a state file holds once a window's counts since it last saved
// (`saved`, now `shown`) are added to what the file holds (`file`): another
// copy of the program in the same folder counts into the same file. A mode
// whose counts went down was reset in this window and is what it shows.
ShiftCounts MergeCounts(const ShiftCounts& file, const ShiftCounts& saved, const ShiftCounts& shown);

// "Tested 12   Passed 11   Failed 1   Yield 91.7 %   Not judged 2".
std::string CountsText(const ModeCounts& counts);
// The record's line on a reset: the counts that went.
std::string CountsResetText(const ModeCounts& counts);

}  // namespace talven
