// The EEPROM programming run: the first reader found gets the configuration
// image from the settings, written in ten-byte pieces and read back. It pumps
// no messages and cannot be stopped once started.
#include <array>

#include "production/ConfigurationImage.h"
#include "production/ProductionRuns.h"
#include "reader/ReaderDevice.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

void ShowVerdict(ProductionView& view, std::uint16_t row, bool programmed) {
    view.SetRowText(row, view.LoadText(programmed ? IDS_EEPROM_SUCCESS : IDS_EEPROM_UNSUCCESS).c_str());
    view.SetRowIcon(row, programmed ? kRowPassed : kRowFailed);
}

// The image over the reader's own EEPROM copy, written and read back.
bool ProgramReader(Platform& platform, ProductionView& view, const std::string& driveText,
                   const SettingsFile& settings, std::uint16_t row) {
    ReaderDevice device(platform);
    std::array<std::uint8_t, kWorkingBufferSize> buffer{};
    // Without the reader's own copy the bytes the image leaves alone are
    // unknown: nothing is written rather than undefined bytes.
    if (!device.Open(driveText) || !device.ReadEeprom(buffer.data())) return false;
    BuildConfigurationImage(settings, buffer.data());
    view.SetRowText(row, view.LoadText(IDS_EEPROM_WRITING).c_str());
    return ProgramAndVerify(device, buffer.data(), kConfigurationImageSize);
}

}  // namespace

void ProductionRuns::RunEepromProgramming() {
    view.EnableButtons(false, true);
    view.EnableButtons(false, false);

    // The previous run's result row follows the settings rows.
    const std::uint16_t rows = view.RowCount();
    if (view.SettingsRowCount() < static_cast<std::uint16_t>(rows - 1))
        view.DeleteRow(static_cast<std::uint16_t>(rows - 1));

    view.Running() = 1;
    const std::string driveText = FindFirstReader();
    // A refused value or a name the program does not read is said where the
    // chip text stood; a refused value writes nothing.
    const SettingsFile settings(platform, settingsPath);
    const bool refused = !RefusedSettings(settings).empty();
    if (const std::string problem = SettingsStatusText(settings); !problem.empty())
        view.SetStatusText(problem.c_str());
    if (driveText.empty()) {
        view.InsertRow(view.RowCount(), view.LoadText(IDS_NO_READER).c_str(), kRowFailed);
    } else {
        const std::uint16_t row = static_cast<std::uint16_t>(view.RowCount() - 1);
        ShowVerdict(view, row, !refused && ProgramReader(platform, view, driveText, settings, row));
    }
    view.Running() = 0;
    view.EnableButtons(false, true);
    view.EnableButtons(true, true);
}

}  // namespace talven
