// What the runs hand to the verdict record: each verdict with its slot, once
// a run.
#include "production/ProductionRuns.h"
#include "production/VerdictRecord.h"
#include "resources/StringTable.h"

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
    if (run == 0) run = record->StartRun();
    verdict.run = run;
    if (verdict.mode.empty()) verdict.mode = view.LoadText(IDS_WRITE_READ_TEST);
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

}  // namespace talven
