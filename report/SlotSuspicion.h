// A worn or damaged test card fails every reader put in front of it: its
// slot position fails far more readers than the station's other positions.
// The streak rule the station warns by is production's (WornCardWatch.h); the
// report adds the rule over a stretch of time.
#pragma once

#include <cstdint>

#include "production/WornCardWatch.h"

namespace talven {

// Over a stretch of time: whether `failedHere` readers failed in one
// position stands far above the `failedElsewhere` failures of the station's
// `otherPositions` other positions.
bool SlotFarAbove(std::uint32_t failedHere, std::uint32_t failedElsewhere, std::uint32_t otherPositions);

}  // namespace talven
