// Speeds of one slot position in one hour, kept as counts in bins of equal
// ratio, so that an hour takes the same memory however many readers it
// saw: the page shows the median and the 10th and 90th percentile of each
// hour, and a bin 1/16 of an octave wide places them within 2.2 %.
#pragma once

#include <array>
#include <cstdint>

namespace talven {

class SpeedHistogram {
public:
    // MB/s; a speed outside 1/8 to 4096 MB/s counts in the nearest end bin.
    void Add(double speed);
    std::uint32_t Count() const { return count; }
    // The speed below which `fraction` (0..1) of the speeds lie, within
    // its bin; 0 while empty.
    double Percentile(double fraction) const;

private:
    static constexpr int kBinsPerOctave = 16;
    static constexpr int kLowestOctave = -3;
    static constexpr int kOctaves = 15;
    static constexpr int kBins = kBinsPerOctave * kOctaves;
    // Saturating: no slot position tests 65535 readers in an hour.
    std::array<std::uint16_t, kBins> bins{};
    std::uint32_t count = 0;
};

}  // namespace talven
