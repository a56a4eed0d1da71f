#include "production/SpeedRule.h"

#include <algorithm>
#include <cstdio>

namespace talven {

double MegabytesPerSecond(std::uint64_t bytes, std::uint64_t milliseconds) {
    return static_cast<double>(bytes) / 1000.0 / static_cast<double>(std::max<std::uint64_t>(milliseconds, 1));
}

bool TooSlow(const TestFigures& figures, std::int32_t lowest) {
    if (lowest <= 0) return false;
    const bool slowWrite = figures.writeMeasured && figures.bytesWritten > 0 &&
                           MegabytesPerSecond(figures.bytesWritten, figures.writeMs) < lowest;
    const bool slowRead =
        figures.readMeasured && figures.bytesRead > 0 && MegabytesPerSecond(figures.bytesRead, figures.readMs) < lowest;
    return slowWrite || slowRead;
}

std::string SpeedText(const TestFigures& figures) {
    if (!figures.writeMeasured || figures.bytesWritten == 0) return {};
    char text[64];
    const double write = MegabytesPerSecond(figures.bytesWritten, figures.writeMs);
    if (figures.readMeasured && figures.bytesRead > 0) {
        std::snprintf(text, sizeof text, "%.1f / %.1f", write, MegabytesPerSecond(figures.bytesRead, figures.readMs));
    } else {
        std::snprintf(text, sizeof text, "%.1f / -", write);
    }
    return text;
}

}  // namespace talven
