#include "report/SlotSuspicion.h"

#include <algorithm>

namespace talven {

namespace {

// Fewer failures than this in one position are chance, whatever the others did.
constexpr std::uint32_t kLeastFailures = 5;

}  // namespace

bool SlotFarAbove(std::uint32_t failedHere, std::uint32_t failedElsewhere, std::uint32_t otherPositions) {
    // Three times the others' mean and a margin over it: readers that fail
    // for their own faults spread over all positions.
    const double othersMean = static_cast<double>(failedElsewhere) / std::max<std::uint32_t>(otherPositions, 1);
    return failedHere >= kLeastFailures && failedHere > 3 * othersMean + 3;
}

}  // namespace talven
