// A worn or damaged test card fails every reader put in front of it: its
// slot position fails far more readers than the station's other positions.
// The rule both the line report and the station use to say so.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace talven {

// The position of a slot, its drive letter as the station shows it ("F:"
// or "F"); 0 when the text names none.
char SlotPosition(std::string_view drive);

// Over a stretch of time: whether `failedHere` readers failed in one
// position stands far above the `failedElsewhere` failures of the station's
// `otherPositions` other positions.
bool SlotFarAbove(std::uint32_t failedHere, std::uint32_t failedElsewhere, std::uint32_t otherPositions);

// At once: whether a position that failed `failuresInARow` readers in a row
// calls for the warning; `suspectAfter` 0 turns it off.
bool SlotSuspect(std::uint32_t failuresInARow, std::uint32_t suspectAfter);

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

}  // namespace talven
