// What the runs hand on of their verdicts: each one to the counts, and to
// the sink once a run for each slot.
#include "production/ProductionRuns.h"

namespace talven {

void ProductionRuns::BeginGo(const SettingsSnapshot& settings, const char* section, unsigned modeText) {
    tally = {};  // the judgement is this GO's
    // This GO's folder holds all of its lines, also those that wait.
    if (sink != nullptr) sink->SetFolder(settings.Checked(kRecordFolderKey).text);
    runMode = view.LoadText(modeText);
    runWarning = settings.StatusText(section);
    // A refused lot is said in the status line, and no line carries it.
    const CheckedSetting& lot = settings.Checked(kLotKey);
    runLot = lot.reason.empty() ? lot.text : std::string();
    if (suspects == nullptr) return;
    if (const std::string suspect = suspects->WarningText(SuspectAfter(settings)); !suspect.empty())
        runWarning += (runWarning.empty() ? "" : "; ") + suspect;
}

Verdict ProductionRuns::NewVerdict(const VerdictFace& face, const ReaderSlot* slot) const {
    Verdict verdict = MakeVerdict(view, face, slot);
    verdict.mode = runMode;
    verdict.warning = runWarning;
    verdict.lot = runLot;
    if (slot != nullptr && !slot->identityProblem.empty())
        verdict.warning += (verdict.warning.empty() ? "" : "; ") + slot->identityProblem;
    return verdict;
}

void ProductionRuns::HandOn(ReaderSlot* slot, Verdict verdict) {
    tally.Add(verdict.word);
    if (slot != nullptr) {
        // A row the drive watch took away shows nothing; a row shows one verdict a run.
        if (slot->recorded || view.FindRow(slot->number, slot->row) < 0) return;
        slot->recorded = true;
    }
    // The streaks see what the record keeps, as the report reads it back.
    if (suspects != nullptr) suspects->Add(verdict);
    if (sink == nullptr) return;
    if (run == 0) run = sink->StartRun();
    verdict.run = run;
    sink->Add(verdict);
    view.SetRecordNote(sink->BehindText(view).c_str());
}

}  // namespace talven
