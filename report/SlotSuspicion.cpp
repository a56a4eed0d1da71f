#include "report/SlotSuspicion.h"

#include <algorithm>
#include <cctype>

namespace talven {

namespace {

// Fewer failures than this in one position are chance, whatever the others did.
constexpr std::uint32_t kLeastFailures = 5;

}  // namespace

char SlotPosition(std::string_view drive) {
    if (drive.empty() || (drive.size() > 1 && drive[1] != ':')) return 0;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

bool SlotFarAbove(std::uint32_t failedHere, std::uint32_t failedElsewhere, std::uint32_t otherPositions) {
    // Three times the others' mean and a margin over it: readers that fail
    // for their own faults spread over all positions.
    const double othersMean = static_cast<double>(failedElsewhere) / std::max<std::uint32_t>(otherPositions, 1);
    return failedHere >= kLeastFailures && failedHere > 3 * othersMean + 3;
}

bool SlotSuspect(std::uint32_t failuresInARow, std::uint32_t suspectAfter) {
    return suspectAfter != 0 && failuresInARow >= suspectAfter;
}

std::size_t SlotStreaks::Index(char position) {
    return position >= 'A' && position <= 'Z' ? static_cast<std::size_t>(position - 'A') : 0;
}

void SlotStreaks::Passed(char position) { inARow[Index(position)] = 0; }

void SlotStreaks::Failed(char position) {
    const std::size_t at = Index(position);
    longest[at] = std::max(longest[at], ++inARow[at]);
}

std::uint32_t SlotStreaks::InARow(char position) const { return inARow[Index(position)]; }

std::uint32_t SlotStreaks::Longest(char position) const { return longest[Index(position)]; }

}  // namespace talven
