// Each slot's speed: its figures in MB/s, the text after its verdict, and
// the rule that fails a slot slower than the lowest speed the settings accept.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "production/Verdict.h"

namespace talven {

// A phase that moved less tells the card's caches, not the card: MinSpeed
// does not judge it. Any time the fine clock saw is long enough to judge,
// so that no speed under MinSpeed escapes by being quick.
inline constexpr std::uint64_t kLeastJudgedBytes = 1u << 20;

// What a card's test must write to pass: the set amount (TestMiB, 0 for the
// whole card), or for the whole card at least what MinSpeed judges.
constexpr std::uint64_t LeastTestedBytes(std::uint32_t testMebibytes) {
    return testMebibytes != 0 ? std::uint64_t{testMebibytes} << 20 : kLeastJudgedBytes;
}

// A measured phase's MB/s (10^6 bytes a second) by the time its I/O took;
// none when it moved nothing or its clock did not see it take time, since
// no figure would be true then.
std::optional<double> WriteSpeed(const TestFigures& figures);
std::optional<double> ReadSpeed(const TestFigures& figures);

// Whether a measured phase large enough to judge was slower than `lowest`
// MB/s; a lowest speed of 0 or less is off.
bool TooSlow(const TestFigures& figures, std::int32_t lowest);

// "write / read" in MB/s, "-" for a phase with no figure; empty when the
// write phase was not measured.
std::string SpeedText(const TestFigures& figures);

}  // namespace talven
