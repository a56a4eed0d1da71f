// The runs' entry points with the settings the file holds at the call, read
// as GO reads them: one snapshot a call.
#pragma once

#include <cstdint>
#include <string>

#include "production/ConfigurationImage.h"
#include "production/ProductionRuns.h"

namespace talven {

inline SettingsSnapshot SettingsNow(Platform& platform, const char* settingsPath) {
    return SettingsSnapshot(SettingsFile(platform, settingsPath));
}

inline void BuildConfigurationImage(Platform& platform, std::uint8_t* buffer, const char* settingsPath) {
    BuildConfigurationImage(SettingsNow(platform, settingsPath), buffer);
}

namespace test {

// One card's test, its progress in row `row`; a drive tested without a row
// (the benchmark) shows it at `row` all the same, where a list ignores it.
inline TestOutcome TestDrive(Platform& platform, ProductionView& view, const char* settingsPath,
                             const std::string& driveText, std::uint16_t row, TestFigures* figures = nullptr) {
    ReaderSlot slot;
    slot.number = row < view.RowCount() ? 1 : 0;
    slot.drive = driveText;
    slot.row = row;
    view.SetRowSlot(row, slot);
    TestFigures measured;
    const TestOutcome outcome =
        ProductionRuns(platform, view, settingsPath).TestDrive(slot, SettingsNow(platform, settingsPath), measured);
    if (figures != nullptr) *figures = measured;
    return outcome;
}

}  // namespace test
}  // namespace talven
