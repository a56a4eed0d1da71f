// What the runs hand to the verdict record: each verdict with its slot,
// once a run.
#include "production/ProductionRuns.h"
#include "record/VerdictRecord.h"
#include "resources/StringTable.h"

namespace talven {

void ProductionRuns::BeginRecord(const SettingsSnapshot& settings, const char* section) {
    // This GO's folder holds all of its lines, also those that wait.
    if (record != nullptr) record->SetFolder(settings.Checked(kRecordFolderKey).text);
    runWarning = settings.StatusText(section);
    // A refused lot is said in the status line, and no line carries it.
    const CheckedSetting& lot = settings.Checked(kLotKey);
    runLot = lot.reason.empty() ? lot.text : std::string();
}

void ProductionRuns::RecordVerdict(ReaderSlot* slot, Verdict verdict) {
    tally.Add(verdict.word);
    if (record == nullptr) return;
    if (slot != nullptr) {
        // A row the drive watch took away shows nothing; a row shows one verdict a run.
        if (slot->recorded || view.FindRow(slot->number, slot->row) < 0) return;
        slot->recorded = true;
        verdict.chip = slot->chip;
        verdict.drive = slot->drive;
        verdict.product = slot->product;
    }
    if (run == 0) run = record->StartRun();
    verdict.run = run;
    if (verdict.mode.empty()) verdict.mode = view.LoadText(IDS_WRITE_READ_TEST);
    if (verdict.warning.empty()) verdict.warning = runWarning;
    verdict.lot = runLot;
    record->Add(verdict);
    view.SetRecordNote(RecordBehindText(*record, view).c_str());
}

void ProductionRuns::RecordVerdict(ReaderSlot& slot, const SlotVerdict& shown, const TestFigures* figures) {
    Verdict verdict;
    verdict.text = view.LoadText(shown.text);
    verdict.word = shown.word;
    if (figures != nullptr) verdict.figures = *figures;
    RecordVerdict(&slot, verdict);
}

}  // namespace talven
