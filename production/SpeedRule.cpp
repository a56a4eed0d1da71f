#include "production/SpeedRule.h"

#include <cstdio>

namespace talven {

namespace {

std::optional<double> PhaseSpeed(bool measured, std::uint64_t bytes, std::uint64_t ticks, std::uint64_t perSecond) {
    if (!measured || bytes == 0 || ticks == 0 || perSecond == 0) return std::nullopt;
    return static_cast<double>(bytes) / 1e6 * static_cast<double>(perSecond) / static_cast<double>(ticks);
}

bool PhaseTooSlow(bool measured, std::uint64_t bytes, std::uint64_t ticks, std::uint64_t perSecond,
                  std::int32_t lowest) {
    const std::optional<double> speed = PhaseSpeed(measured, bytes, ticks, perSecond);
    return speed && bytes >= kLeastJudgedBytes && *speed < lowest;
}

void AppendSpeed(std::string& text, const std::optional<double>& speed) {
    char figure[32] = "-";
    if (speed) std::snprintf(figure, sizeof figure, "%.1f", *speed);
    text += figure;
}

}  // namespace

std::optional<double> WriteSpeed(const TestFigures& figures) {
    return PhaseSpeed(figures.writeMeasured, figures.bytesWritten, figures.writeTicks, figures.ticksPerSecond);
}

std::optional<double> ReadSpeed(const TestFigures& figures) {
    return PhaseSpeed(figures.readMeasured, figures.bytesRead, figures.readTicks, figures.ticksPerSecond);
}

bool TooSlow(const TestFigures& figures, std::int32_t lowest) {
    if (lowest <= 0) return false;
    const std::uint64_t perSecond = figures.ticksPerSecond;
    return PhaseTooSlow(figures.writeMeasured, figures.bytesWritten, figures.writeTicks, perSecond, lowest) ||
           PhaseTooSlow(figures.readMeasured, figures.bytesRead, figures.readTicks, perSecond, lowest);
}

std::string SpeedText(const TestFigures& figures) {
    if (!figures.writeMeasured || figures.bytesWritten == 0) return {};
    std::string text;
    AppendSpeed(text, WriteSpeed(figures));
    text += " / ";
    AppendSpeed(text, ReadSpeed(figures));
    return text;
}

}  // namespace talven
