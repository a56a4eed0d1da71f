// Each slot's speed: its figures in MB/s, the text after its verdict, and
// the rule that fails a slot slower than the lowest speed the settings accept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "production/Verdict.h"

namespace talven {

// A phase this short tells the clock's step and the system's hiccups, not
// the card: MinSpeed does not judge it.
inline constexpr std::uint64_t kLeastJudgedBytes = 1u << 20;
inline constexpr std::uint64_t kLeastJudgedMilliseconds = 50;

// A measured phase's MB/s (10^6 bytes a second) by the time its I/O took;
// none when it moved nothing or its clock did not see it take time, since
// no figure would be true then.
std::optional<double> WriteSpeed(const TestFigures& figures);
std::optional<double> ReadSpeed(const TestFigures& figures);

// Whether a measured phase long enough to judge was slower than `lowest`
// MB/s; a lowest speed of 0 or less is off.
bool TooSlow(const TestFigures& figures, std::int32_t lowest);

// "write / read" in MB/s, "-" for a phase with no figure; empty when the
// write phase was not measured.
std::string SpeedText(const TestFigures& figures);

}  // namespace talven
