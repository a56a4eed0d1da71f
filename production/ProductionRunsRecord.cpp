// What the runs hand to the verdict record, and each slot's speed: the
// figures after the verdict in the slot's row and the lowest speed the
// settings accept.
#include <cstdio>

#include "production/ProductionRuns.h"
#include "production/VerdictRecord.h"
#include "resources/StringTable.h"
#include "settings/SettingsCheck.h"
#include "settings/SettingsFile.h"

namespace talven {

namespace {

// The INQUIRY text in its blank-filled field, as a spreadsheet wants it.
std::string Trimmed(const std::string& text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

}  // namespace

void ProductionRuns::NoteSlot(const std::string& rowText, const std::string& chip, const std::string& drive,
                              const std::string& product) {
    slots[rowText] = {chip, drive, Trimmed(product), false};
}

void ProductionRuns::RecordRow(const std::string& rowText, Verdict verdict) {
    // A row the drive watch took away shows nothing; a row shows one verdict a run.
    if (record == nullptr || view.FindRow(rowText, 0) < 0) return;
    SlotSeen& slot = slots[rowText];
    if (slot.recorded) return;
    slot.recorded = true;
    const SettingsFile settings(platform, settingsPath);
    if (run == 0) {
        // The folder of this GO's settings, for all of its lines.
        char folder[kSettingsTextSize] = {};
        settings.ReadText(kRecordFolderKey, folder);
        record->SetFolder(folder);
        run = record->StartRun();
    }
    verdict.run = run;
    if (verdict.mode.empty()) {
        verdict.mode = view.LoadText(IDS_WRITE_READ_TEST);
        verdict.warning = SettingsStatusText(settings, kProgramSection);
    }
    verdict.chip = slot.chip;
    verdict.drive = slot.drive;
    verdict.product = slot.product;
    record->Add(verdict);
    view.SetRecordNote(RecordBehindText(*record, view).c_str());
}

void ProductionRuns::RecordRow(const std::string& rowText, unsigned textId, VerdictWord word,
                               const TestFigures* figures) {
    Verdict verdict;
    verdict.text = view.LoadText(textId);
    verdict.word = word;
    if (figures != nullptr) verdict.figures = *figures;
    RecordRow(rowText, verdict);
}

std::string ProductionRuns::MinimumSpeedRefusal() const {
    const CheckedSetting checked = CheckSetting(SettingsFile(platform, settingsPath), kMinimumSpeedKey);
    if (checked.reason.empty()) return {};
    char text[512];
    std::snprintf(text, sizeof text, view.LoadText(IDS_SETTING_REFUSED).c_str(), kMinimumSpeedKey.name,
                  checked.reason.c_str());
    return text;
}

bool ProductionRuns::TooSlow(const TestFigures& figures) const {
    // Its whole number: the settings check takes numbers' low 8 bits, as the image holds them.
    const auto lowest = static_cast<std::int32_t>(SettingsFile(platform, settingsPath).ReadNumber(kMinimumSpeedKey));
    if (lowest <= 0) return false;
    const bool slowWrite = figures.writeMeasured && figures.bytesWritten > 0 &&
                           MegabytesPerSecond(figures.bytesWritten, figures.writeMs) < lowest;
    const bool slowRead = figures.readMeasured && figures.bytesRead > 0 &&
                          MegabytesPerSecond(figures.bytesRead, figures.readMs) < lowest;
    return slowWrite || slowRead;
}

void ProductionRuns::ShowSpeed(const std::string& rowText, int row, const TestFigures& figures) {
    if (!figures.writeMeasured || figures.bytesWritten == 0) return;
    char text[64];
    const double write = MegabytesPerSecond(figures.bytesWritten, figures.writeMs);
    if (figures.readMeasured && figures.bytesRead > 0) {
        std::snprintf(text, sizeof text, "%.1f / %.1f", write, MegabytesPerSecond(figures.bytesRead, figures.readMs));
    } else {
        std::snprintf(text, sizeof text, "%.1f / -", write);
    }
    if (const int at = view.FindRow(rowText, row); at >= 0) view.SetRowSpeed(at, text);
}

}  // namespace talven
