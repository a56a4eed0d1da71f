// The shift at a glance: the counts line above the buttons, its reset, and
// the worn-card line over it.
#include "app/ProductionDialog.h"
#include "production/StationState.h"
#include "resources/StringTable.h"

namespace talven {

void ProductionDialog::LoadShiftCounts() {
    StationState state;
    // A station without a state file, or with one that is not whole, starts at nothing.
    if (ReadStationState(platform, StationStatePath(settingsPath), state) == StateRead::Read)
        shiftCounts = savedCounts = state.counts;
}

void ProductionDialog::CountRun(bool eepromMode, RunJudgement judgement) {
    if (judgement == RunJudgement::None) return;
    shiftCounts.Of(eepromMode).Add(judgement);
    SaveShiftCounts();
    ShowShiftCounts();
}

void ProductionDialog::SaveShiftCounts() {
    // Only the counts are the window's: the serials in the file stay as the
    // file holds them, and a file that is not whole is left for the engineer.
    const std::string path = StationStatePath(settingsPath);
    // Held as a GO holds it for a serial, so that neither writes over the other.
    const StateHold hold(platform, path);
    if (hold.Result() != FileResult::Done) return;
    StationState state;
    const StateRead read = ReadStationState(platform, path, state);
    if (read != StateRead::Read && read != StateRead::Missing) return;
    // A second copy of the program in this folder counts into the same file:
    // the window shows the folder's counts, and neither copy's are lost.
    state.counts = read == StateRead::Read ? MergeCounts(state.counts, savedCounts, shiftCounts) : shiftCounts;
    // A count that cannot be written now goes with the next one that can.
    if (WriteStationState(platform, path, state) == FileResult::Done) shiftCounts = savedCounts = state.counts;
}

void ProductionDialog::ShowShiftCounts() {
    countsLine.SetWindowText(CountsText(shiftCounts.Of(listEepromMode)).c_str());
}

void ProductionDialog::FollowSuspectSlots(RunJudgement judgement, const SettingsSnapshot& settings) {
    suspectSlots.EndReader(judgement);
    suspectLine.SetWindowText(suspectSlots.WarningText(SuspectAfter(settings)).c_str());
}

bool ProductionDialog::ColourSuspectLine(HDC dc, HWND control, LRESULT& result) {
    if (control != suspectLine.GetSafeHwnd()) return false;
    ::SetTextColor(dc, RGB(192, 0, 0));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

void ProductionDialog::OnResetCounts() {
    if (RunInProgress()) return;
    ModeCounts& counts = shiftCounts.Of(listEepromMode);
    if (record != nullptr) {
        Verdict line;
        line.mode = LoadText(listEepromMode ? IDS_WRITE_EEPROM : IDS_WRITE_READ_TEST);
        line.run = record->StartRun();
        line.text = CountsResetText(counts);
        line.word = VerdictWord::Reset;
        record->Add(line);
        SetRecordNote(RecordBehindText(*record, *this).c_str());
    }
    counts = {};
    SaveShiftCounts();
    ShowShiftCounts();
}

}  // namespace talven
