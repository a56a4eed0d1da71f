// Each slot's speed: its figures in MB/s, the text after its verdict, and
// the rule that fails a slot slower than the lowest speed the settings accept.
#pragma once

#include <cstdint>
#include <string>

#include "production/CardTest.h"

namespace talven {

// MB/s (10^6 bytes a second); a phase quicker than the clock's millisecond
// counts as one.
double MegabytesPerSecond(std::uint64_t bytes, std::uint64_t milliseconds);

// Whether either measured phase was slower than `lowest` MB/s; a lowest
// speed of 0 or less is off.
bool TooSlow(const TestFigures& figures, std::int32_t lowest);

// "write / read" in MB/s, "-" for a read that was not measured; empty when
// the write phase was not.
std::string SpeedText(const TestFigures& figures);

}  // namespace talven
