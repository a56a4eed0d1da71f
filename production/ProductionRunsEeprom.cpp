// The EEPROM programming run: the first reader found gets the configuration
// image from the settings, written in ten-byte pieces and read back. It pumps
// no messages and cannot be stopped once started.
#include <array>
#include <cstdio>

#include "production/ConfigurationImage.h"
#include "production/ProductionRuns.h"
#include "production/StationSerials.h"
#include "production/StationState.h"
#include "reader/ReaderDevice.h"
#include "resources/StringTable.h"
#include "settings/SettingsText.h"

namespace talven {

namespace {

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

// What programming a reader came to: the image, once built for the reader,
// and why nothing was written when the reader is not at fault.
struct Programming {
    bool programmed = false;
    bool imageBuilt = false;
    std::string refusal;
    // How the serial was found, when the state file alone did not give it.
    std::string serialNote;
    std::array<std::uint8_t, kWorkingBufferSize> image{};
};

// The image over the reader's own EEPROM copy, written and read back.
void ProgramReader(Platform& platform, ProductionView& view, VerdictSink* sink, const std::string& driveText,
                   const SettingsSnapshot& settings, const char* settingsPath, std::uint16_t row, Programming& job) {
    ReaderDevice device(platform);
    // Without the reader's own copy the bytes the image leaves alone are
    // unknown: nothing is written rather than undefined bytes.
    if (!device.Open(driveText) || !device.ReadEeprom(job.image.data())) return;
    BuildConfigurationImage(settings, job.image.data());
    // A serial of the block is on the disk as handed out before the reader has it.
    const auto progress = [&view](std::size_t read, std::size_t total) {
        char text[128];
        std::snprintf(text, sizeof text, view.LoadText(IDS_SERIAL_SCANNING).c_str(), static_cast<unsigned>(read),
                      static_cast<unsigned>(total));
        view.SetStatusText(text);
    };
    RecordSerialReader readRecord;
    if (sink != nullptr) readRecord = [&] { return sink->ReadSerials(RecordIndexPath(settingsPath), progress); };
    const SerialPlan serial = TakeSerial(platform, settings, settingsPath, readRecord);
    job.refusal = serial.problem;
    job.serialNote = serial.note;
    if (!job.refusal.empty()) return;
    if (serial.block) PutSerial(job.image.data(), serial.next);
    job.imageBuilt = true;
    view.SetRowText(row, view.LoadText(IDS_EEPROM_WRITING).c_str());
    job.programmed = ProgramAndVerify(device, job.image.data(), kConfigurationImageSize);
}

// The previous run's result row follows the settings rows.
void RemovePreviousResult(ProductionView& view) {
    const std::uint16_t rows = view.RowCount();
    if (view.SettingsRowCount() < static_cast<std::uint16_t>(rows - 1))
        view.DeleteRow(static_cast<std::uint16_t>(rows - 1));
}

}  // namespace

// A reader that was written counts in the shift's counts; one the settings
// or the serials kept from writing is no reader's fault. Each verdict is
// handed on before it is shown.
void ProductionRuns::ProgramFirstReader(const std::string& driveText, bool refused, const SettingsSnapshot& settings) {
    if (driveText.empty()) {
        const Verdict verdict = NewVerdict(NoReaderFace(), nullptr);
        HandOn(nullptr, verdict);
        view.InsertRow(view.RowCount(), verdict.text.c_str(), verdict.icon);
        return;
    }
    tally.Start(GoJob::Eeprom);
    // The first reader's slot, the last one discovery listed.
    ReaderSlot& slot = slots.back();
    Programming job;
    if (!refused) ProgramReader(platform, view, sink, driveText, settings, settingsPath, slot.row, job);
    // A refusal says why nothing was written.
    Verdict verdict = NewVerdict(EepromFace(job.programmed, refused || !job.refusal.empty()), &slot);
    if (!job.refusal.empty()) verdict.text = job.refusal;
    if (job.imageBuilt) AddImageFields(verdict, job.image.data());
    if (!job.serialNote.empty()) {
        verdict.warning += (verdict.warning.empty() ? "" : "; ") + job.serialNote;
        view.SetStatusText(verdict.warning.c_str());
    }
    HandOn(&slot, verdict);
    view.SetRowText(slot.row, verdict.text.c_str());
    view.SetRowIcon(slot.row, verdict.icon);
}

void ProductionRuns::RunEepromProgramming(const SettingsSnapshot& settings) {
    view.EnableButtons(false, true);
    view.EnableButtons(false, false);

    RemovePreviousResult(view);
    view.Running() = 1;
    BeginGo(settings, kDeviceSection, IDS_WRITE_EEPROM);
    const std::string driveText = FindFirstReader();
    // A refused value or a name the program does not read is said where the
    // chip text stood; a refused value of the image writes nothing. The read/
    // write test's own keys are that job's matter, not the EEPROM's.
    const bool refused = !settings.Refused(kDeviceSection).empty();
    if (!runWarning.empty()) view.SetStatusText(runWarning.c_str());
    ProgramFirstReader(driveText, refused, settings);
    view.Running() = 0;
    view.EnableButtons(false, true);
    view.EnableButtons(true, true);
}

}  // namespace talven
