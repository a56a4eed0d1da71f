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
#include "settings/SettingsText.h"

namespace talven {

namespace {

// The row's text and icon, and the same text for the record.
void ShowEepromVerdict(ProductionView& view, std::uint16_t row, bool programmed, Verdict& verdict) {
    verdict.text = view.LoadText(programmed ? IDS_EEPROM_SUCCESS : IDS_EEPROM_UNSUCCESS);
    verdict.word = programmed ? VerdictWord::Pass : VerdictWord::Fail;
    view.SetRowText(row, verdict.text.c_str());
    view.SetRowIcon(row, programmed ? kRowPassed : kRowFailed);
}

// What the record keeps of the image the run wrote, read back out of its fields.
void AddImageFields(Verdict& verdict, const std::uint8_t* image) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(FieldNumber(*ImageFieldOf(kVendorIdKey), image)));
    verdict.vendorId = text;
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(FieldNumber(*ImageFieldOf(kProductIdKey), image)));
    verdict.productId = text;
    // The record is UTF-8; the spaces that fill the field up are not the serial's.
    std::u32string serial = FieldCharacters(*ImageFieldOf(kSerialNumberKey), image);
    serial.erase(serial.find_last_not_of(U' ') + 1);
    verdict.serial = Utf8(serial);
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(ImageChecksum(image)));
    verdict.checksum = text;
}

// The image over the reader's own EEPROM copy, written and read back; what
// the record keeps of it goes into `verdict`.
bool ProgramReader(Platform& platform, ProductionView& view, const std::string& driveText,
                   const SettingsSnapshot& settings, std::uint16_t row, Verdict& verdict) {
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

void ProductionRuns::RunEepromProgramming() { RunEepromProgramming(ReadSettings()); }

void ProductionRuns::RunEepromProgramming(const SettingsSnapshot& settings) {
    view.EnableButtons(false, true);
    view.EnableButtons(false, false);

    // The previous run's result row follows the settings rows.
    const std::uint16_t rows = view.RowCount();
    if (view.SettingsRowCount() < static_cast<std::uint16_t>(rows - 1))
        view.DeleteRow(static_cast<std::uint16_t>(rows - 1));

    view.Running() = 1;
    BeginRecord(settings, kDeviceSection);
    const std::string driveText = FindFirstReader();
    // A refused value or a name the program does not read is said where the
    // chip text stood; a refused value of the image writes nothing. The read/
    // write test's own keys are that job's matter, not the EEPROM's.
    const bool refused = !settings.Refused(kDeviceSection).empty();
    Verdict verdict;
    verdict.warning = settings.StatusText(kDeviceSection);
    if (!verdict.warning.empty()) view.SetStatusText(verdict.warning.c_str());
    verdict.mode = view.LoadText(IDS_WRITE_EEPROM);
    if (driveText.empty()) {
        verdict.text = view.LoadText(IDS_NO_READER);
        view.InsertRow(view.RowCount(), verdict.text.c_str(), kRowFailed);
        RecordVerdict(nullptr, verdict);
    } else {
        // The first reader's slot, the last one discovery listed.
        ReaderSlot& slot = slots.back();
        const bool programmed = !refused && ProgramReader(platform, view, driveText, settings, slot.row, verdict);
        ShowEepromVerdict(view, slot.row, programmed, verdict);
        // A settings fault is no fault of the reader's.
        if (refused) verdict.word = VerdictWord::Refused;
        RecordVerdict(&slot, verdict);
    }
    view.Running() = 0;
    view.EnableButtons(false, true);
    view.EnableButtons(true, true);
}

}  // namespace talven
