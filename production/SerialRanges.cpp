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
    Series& of = series.try_emplace(lastKey, Series{low, {}}).first->second;
    auto next = of.ranges.upper_bound(low.number);
    std::uint64_t from = low.number;
    std::uint64_t to = high;
    // Joined with the ranges it overlaps or continues on either side.
    if (next != of.ranges.begin()) {
        auto before = std::prev(next);
        if (before->second >= from || before->second + 1 == from) {
            from = before->first;
            to = std::max(to, before->second);
            of.ranges.erase(before);
        }
    }
    while (next != of.ranges.end() && (next->first <= to || next->first == to + 1)) {
        to = std::max(to, next->second);
        next = of.ranges.erase(next);
    }
    of.ranges[from] = to;
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
