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

// The text for the row and the record; a refusal says why nothing was written.
void TellEepromVerdict(ProductionView& view, bool programmed, const std::string& refusal, Verdict& verdict) {
    verdict.text = !refusal.empty() ? refusal : view.LoadText(programmed ? IDS_EEPROM_SUCCESS : IDS_EEPROM_UNSUCCESS);
    verdict.word = programmed ? VerdictWord::Pass : VerdictWord::Fail;
}

// What the record keeps of the image the run wrote, read back out of its fields.
void AddImageFields(Verdict& verdict, const std::uint8_t* image) {
    const ImageIdentity identity = IdentityOf(image);
    verdict.vendorId = identity.vendorId;
    verdict.productId = identity.productId;
    verdict.serial = identity.serial;
    char text[16];
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
    const SerialPlan serial = TakeSerial(platform, settings, settingsPath);
    refusal = serial.problem;
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
    // Each verdict is recorded before it is shown.
    if (driveText.empty()) {
        verdict.text = view.LoadText(IDS_NO_READER);
        RecordVerdict(nullptr, verdict);
        view.InsertRow(view.RowCount(), verdict.text.c_str(), kRowFailed);
        return RunJudgement::NotJudged;
    }
    // The first reader's slot, the last one discovery listed.
    ReaderSlot& slot = slots.back();
    std::string refusal;
    const bool programmed =
        !refused && ProgramReader(platform, view, driveText, settings, settingsPath, slot.row, verdict, refusal);
    TellEepromVerdict(view, programmed, refusal, verdict);
    RunJudgement judgement = programmed ? RunJudgement::Passed : RunJudgement::Failed;
    // A settings fault, or a block that gives no serial, is no fault of the reader's.
    if (refused || !refusal.empty()) {
        verdict.word = VerdictWord::Refused;
        judgement = RunJudgement::NotJudged;
    }
    RecordVerdict(&slot, verdict);
    view.SetRowText(slot.row, verdict.text.c_str());
    view.SetRowIcon(slot.row, programmed ? kRowPassed : kRowFailed);
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
