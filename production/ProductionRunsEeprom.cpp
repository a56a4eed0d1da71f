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
    if (driveText.empty()) {
        view.InsertRow(view.RowCount(), view.LoadText(IDS_NO_READER).c_str(), kRowFailed);
    } else {
        ReaderDevice device(platform);
        std::array<std::uint8_t, kWorkingBufferSize> buffer{};
        const std::uint16_t row = static_cast<std::uint16_t>(view.RowCount() - 1);
        // Without the reader's own copy the bytes the image leaves alone are
        // unknown: nothing is written rather than undefined bytes.
        if (!device.Open(driveText) || !device.ReadEeprom(buffer.data())) {
            ShowVerdict(view, row, false);
        } else {
            BuildConfigurationImage(platform, buffer.data(), settingsPath);
            view.SetRowText(row, view.LoadText(IDS_EEPROM_WRITING).c_str());
            ShowVerdict(view, row, ProgramAndVerify(device, buffer.data(), kConfigurationImageSize));
        }
    }
    view.Running() = 0;
    view.EnableButtons(false, true);
    view.EnableButtons(true, true);
}

}  // namespace talven
