// The EEPROM programming run: the first reader found gets the configuration
// image from the settings, written in ten-byte pieces and read back. It pumps
// no messages and cannot be stopped once started.
#include <array>
#include <cstdio>

#include "production/ConfigurationImage.h"
#include "production/ProductionRuns.h"
#include "record/StationSerials.h"
#include "record/VerdictRecord.h"
#include "reader/ReaderDevice.h"
#include "resources/StringTable.h"
#include "settings/SettingsText.h"

namespace talven {

namespace {

// The row's text and icon, and the same text for the record; a refusal
// says why nothing was written.
void ShowEepromVerdict(ProductionView& view, std::uint16_t row, bool programmed, const std::string& refusal,
                       Verdict& verdict) {
    verdict.text = !refusal.empty() ? refusal : view.LoadText(programmed ? IDS_EEPROM_SUCCESS : IDS_EEPROM_UNSUCCESS);
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
// the record keeps of it goes into `verdict`. `refusal` says why nothing was
// written when the reader is not at fault.
bool ProgramReader(Platform& platform, ProductionView& view, const std::string& driveText,
                   const SettingsSnapshot& settings, const char* settingsPath, std::uint16_t row, Verdict& verdict,
                   std::string& refusal) {
    ReaderDevice device(platform);
    std::array<std::uint8_t, kWorkingBufferSize> buffer{};
    // Without the reader's own copy the bytes the image leaves alone are
    // unknown: nothing is written rather than undefined bytes.
    if (!device.Open(driveText) || !device.ReadEeprom(buffer.data())) return false;
    BuildConfigurationImage(settings, buffer.data());
    // A serial of the block is on the disk as handed out before the reader has it.
    const SerialPlan serial = TakeSerial(platform, settings, settingsPath, [&view](std::size_t read, std::size_t total) {
        char text[128];
        std::snprintf(text, sizeof text, view.LoadText(IDS_SERIAL_SCANNING).c_str(), static_cast<unsigned>(read),
                      static_cast<unsigned>(total));
        view.SetStatusText(text);
    });
    refusal = serial.problem;
    // How the serial was found, when the state file alone did not give it.
    if (!serial.note.empty()) {
        verdict.warning += (verdict.warning.empty() ? "" : "; ") + serial.note;
        view.SetStatusText(verdict.warning.c_str());
    }
    if (!refusal.empty()) return false;
    if (serial.block) PutSerial(buffer.data(), serial.next);
    AddImageFields(verdict, buffer.data());
    view.SetRowText(row, view.LoadText(IDS_EEPROM_WRITING).c_str());
    return ProgramAndVerify(device, buffer.data(), kConfigurationImageSize);
}

// The previous run's result row follows the settings rows.
void RemovePreviousResult(ProductionView& view) {
    const std::uint16_t rows = view.RowCount();
    if (view.SettingsRowCount() < static_cast<std::uint16_t>(rows - 1))
        view.DeleteRow(static_cast<std::uint16_t>(rows - 1));
}

}  // namespace

void ProductionRuns::RunEepromProgramming() { RunEepromProgramming(ReadSettings()); }

// The first reader's row and record, or the no-reader row. A reader that was
// written counts in the shift's counts; one the settings or the serials kept
// from writing is no reader's fault.
RunJudgement ProductionRuns::ProgramFirstReader(const std::string& driveText, bool refused,
                                                const SettingsSnapshot& settings, Verdict& verdict) {
    if (driveText.empty()) {
        verdict.text = view.LoadText(IDS_NO_READER);
        view.InsertRow(view.RowCount(), verdict.text.c_str(), kRowFailed);
        RecordVerdict(nullptr, verdict);
        return RunJudgement::NotJudged;
    }
    // The first reader's slot, the last one discovery listed.
    ReaderSlot& slot = slots.back();
    std::string refusal;
    const bool programmed =
        !refused && ProgramReader(platform, view, driveText, settings, settingsPath, slot.row, verdict, refusal);
    ShowEepromVerdict(view, slot.row, programmed, refusal, verdict);
    RunJudgement judgement = programmed ? RunJudgement::Passed : RunJudgement::Failed;
    // A settings fault, or a block that gives no serial, is no fault of the reader's.
    if (refused || !refusal.empty()) {
        verdict.word = VerdictWord::Refused;
        judgement = RunJudgement::NotJudged;
    }
    RecordVerdict(&slot, verdict);
    return judgement;
}

void ProductionRuns::RunEepromProgramming(const SettingsSnapshot& settings) {
    tally = {};  // the judgement is this GO's
    view.EnableButtons(false, true);
    view.EnableButtons(false, false);

    RemovePreviousResult(view);
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
    tally.Judge(ProgramFirstReader(driveText, refused, settings, verdict));
    view.Running() = 0;
    view.EnableButtons(false, true);
    view.EnableButtons(true, true);
}

}  // namespace talven
