// A worn or damaged test card fails every reader put in front of it, so good
// readers are scrapped until someone sees the pattern. The rule that calls a
// slot position suspect, shared by the station, which warns at once, and by
// the line report, which reads the same streaks back from the record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "production/Verdict.h"
#include "settings/SettingsSnapshot.h"

namespace talven {

// The position of a slot, its drive letter as the station shows it ("F:"
// or "F"); 0 when the text names none.
char SlotPosition(std::string_view drive);

// Whether a position that failed `failuresInARow` readers in a row calls for
// the warning; `suspectAfter` 0 turns it off.
bool SlotSuspect(std::uint32_t failuresInARow, std::uint32_t suspectAfter);

// SuspectAfter as the station applies it: a refused value (the status line
// names it) keeps the default, so that a typo does not silence the warning.
std::uint32_t SuspectAfter(const SettingsSnapshot& settings);

// The readers each position failed in a row, up to a reader that passed there.
class SlotStreaks {
public:
    void Passed(char position);
    void Failed(char position);
    std::uint32_t InARow(char position) const;
    // The most in a row any stretch of this position had.
    std::uint32_t Longest(char position) const;

private:
    static std::size_t Index(char position);
    std::array<std::uint32_t, 26> inARow{};
    std::array<std::uint32_t, 26> longest{};
};

// The station's streaks over its read/write tests. A reader counts as the
// report counts it: only when judged, and only in the positions whose slot
// passed or failed (a run that ends at its first failure leaves the slots
// after it untested).
class WornCardWatch {
public:
    // A verdict of the GO's read/write test, as it is shown.
    void Add(const Verdict& verdict);
    // The GO's reader is judged: its positions' streaks go on or end.
    void EndReader(RunJudgement judgement);
    // "Slot F failed 3 readers in a row: check the test card in slot F", for
    // every suspect position; empty when none is.
    std::string WarningText(std::uint32_t suspectAfter) const;

private:
    SlotStreaks streaks;
    std::vector<std::pair<char, VerdictWord>> reader;  // the GO's, by position
};

}  // namespace talven
