// The EEPROM programming run: the first reader found gets the configuration
// image from the settings, written in ten-byte pieces and read back. It pumps
// no messages and cannot be stopped once started.
#include <array>
#include <cstdio>

#include "production/ConfigurationImage.h"
#include "production/ProductionRuns.h"
#include "production/VerdictRecord.h"
#include "reader/ReaderDevice.h"
#include "resources/StringTable.h"

namespace talven {

namespace {

// The row's text and icon, and the same text for the record.
void ShowVerdict(ProductionView& view, std::uint16_t row, bool programmed, Verdict& verdict) {
    verdict.text = view.LoadText(programmed ? IDS_EEPROM_SUCCESS : IDS_EEPROM_UNSUCCESS);
    verdict.word = programmed ? VerdictWord::Pass : VerdictWord::Fail;
    view.SetRowText(row, verdict.text.c_str());
    view.SetRowIcon(row, programmed ? kRowPassed : kRowFailed);
}

// What the record keeps of the image the run wrote.
void AddImageFields(Verdict& verdict, const std::uint8_t* image) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X%02X", image[kVendorIdOffset + 1], image[kVendorIdOffset]);
    verdict.vendorId = text;
    std::snprintf(text, sizeof text, "%02X%02X", image[kProductIdOffset + 1], image[kProductIdOffset]);
    verdict.productId = text;
    verdict.serial = DescriptorText(image + kSerialNumberOffset, kSerialNumberSize);
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(ImageChecksum(image)));
    verdict.checksum = text;
}

// The image over the reader's own EEPROM copy, written and read back; what
// the record keeps of it goes into `verdict`.
bool ProgramReader(Platform& platform, ProductionView& view, const std::string& driveText,
                   const SettingsFile& settings, std::uint16_t row, Verdict& verdict) {
    ReaderDevice device(platform);
    std::array<std::uint8_t, kWorkingBufferSize> buffer{};
    // Without the reader's own copy the bytes the image leaves alone are
    // unknown: nothing is written rather than undefined bytes.
    if (!device.Open(driveText) || !device.ReadEeprom(buffer.data())) return false;
    BuildConfigurationImage(settings, buffer.data());
    AddImageFields(verdict, buffer.data());
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
    // chip text stood; a refused value of the image writes nothing. The read/
    // write test's own keys are that job's matter, not the EEPROM's.
    const SettingsFile settings(platform, settingsPath);
    const bool refused = !RefusedSettings(settings, kDeviceSection).empty();
    Verdict verdict;
    verdict.warning = SettingsStatusText(settings, kDeviceSection);
    if (!verdict.warning.empty()) view.SetStatusText(verdict.warning.c_str());
    std::string rowText;
    if (driveText.empty()) {
        rowText = view.LoadText(IDS_NO_READER);
        view.InsertRow(view.RowCount(), rowText.c_str(), kRowFailed);
        verdict.text = rowText;
    } else {
        const std::uint16_t row = static_cast<std::uint16_t>(view.RowCount() - 1);
        rowText = view.RowText(row);
        const bool programmed = !refused && ProgramReader(platform, view, driveText, settings, row, verdict);
        ShowVerdict(view, row, programmed, verdict);
        // A settings fault is no fault of the reader's.
        if (refused) verdict.word = VerdictWord::Refused;
    }
    verdict.mode = view.LoadText(IDS_WRITE_EEPROM);
    RecordRow(rowText, verdict);
    view.Running() = 0;
    view.EnableButtons(false, true);
    view.EnableButtons(true, true);
}

}  // namespace talven
