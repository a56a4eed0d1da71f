#include "production/SerialRanges.h"

#include <algorithm>
#include <iterator>

#include "production/StationState.h"
#include "settings/SettingsText.h"

namespace talven {

namespace {

constexpr char kSeparator = '\t';

// A series as Windows tells devices apart: its characters without regard to case, and its width.
std::string SeriesKey(const SerialNumber& serial) {
    std::u32string characters = DecodeSettingsText(serial.prefix);
    for (char32_t& c : characters)
        if (c >= U'a' && c <= U'z') c = c - U'a' + U'A';
    return Utf8(characters) + kSeparator + std::to_string(serial.width);
}

}  // namespace

void SerialRanges::Add(const SerialNumber& low, std::uint64_t high) {
    if (lastKey.empty() || low.prefix != lastPrefix || low.width != lastWidth) {
        lastKey = SeriesKey(low);
        lastPrefix = low.prefix;
        lastWidth = low.width;
    }
    auto found = series.find(lastKey);
    if (found == series.end()) found = series.emplace(lastKey, Series{low, {}}).first;
    auto& ranges = found->second.ranges;
    auto next = ranges.upper_bound(low.number);
    // The range before grows in place when it reaches this one: a record's
    // serials mostly count up one by one.
    auto at = next == ranges.begin() ? ranges.end() : std::prev(next);
    if (at != ranges.end() && at->second + 1 >= low.number)
        at->second = std::max(at->second, high);
    else
        at = ranges.emplace_hint(next, low.number, high);
    // Joined with the ranges it now overlaps or continues.
    for (next = std::next(at); next != ranges.end() && next->first <= at->second + 1; next = ranges.erase(next))
        at->second = std::max(at->second, next->second);
}

std::optional<std::uint64_t> SerialRanges::HighestIn(const SerialBlock& block) const {
    const auto of = series.find(SeriesKey(block.first));
    if (of == series.end()) return std::nullopt;
    auto after = of->second.ranges.upper_bound(block.last);
    if (after == of->second.ranges.begin()) return std::nullopt;
    const auto& [low, high] = *std::prev(after);
    if (high < block.first.number) return std::nullopt;
    return std::min(high, block.last);
}

std::string SerialRanges::Lines() const {
    std::string lines;
    for (const auto& [key, of] : series) {
        for (const auto& [low, high] : of.ranges) {
            const SerialNumber first{of.spelling.prefix, of.spelling.width, low};
            const SerialNumber last{of.spelling.prefix, of.spelling.width, high};
            lines += "serials=" + first.Text() + kSeparator + last.Text() + "\r\n";
        }
    }
    return lines;
}

bool SerialRanges::AddLine(const std::string& value) {
    HandedRange range;
    if (!ParseHandedRange(value, range)) return false;
    Add(range.low, range.high);
    return true;
}

}  // namespace talven
