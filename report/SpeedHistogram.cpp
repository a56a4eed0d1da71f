#include "report/SpeedHistogram.h"

#include <algorithm>
#include <cmath>

namespace talven {

void SpeedHistogram::Add(double speed) {
    const double position = speed > 0 ? (std::log2(speed) - kLowestOctave) * kBinsPerOctave : 0;
    const int bin = std::clamp(static_cast<int>(std::floor(position)), 0, kBins - 1);
    if (bins[static_cast<std::size_t>(bin)] < UINT16_MAX) {
        ++bins[static_cast<std::size_t>(bin)];
        ++count;
    }
}

double SpeedHistogram::Percentile(double fraction) const {
    if (count == 0) return 0;
    const double wanted = fraction * count;
    double seen = 0;
    for (int bin = 0; bin < kBins; ++bin) {
        const double inBin = bins[static_cast<std::size_t>(bin)];
        if (inBin > 0 && seen + inBin >= wanted) {
            // Spread evenly over the bin, as the speeds in it most likely are.
            const double within = std::clamp((wanted - seen) / inBin, 0.0, 1.0);
            return std::exp2((bin + within) / kBinsPerOctave + kLowestOctave);
        }
        seen += inBin;
    }
    return std::exp2((kBins - 0.5) / kBinsPerOctave + kLowestOctave);
}

}  // namespace talven
