// The shift at a glance: the counts line above the buttons, its reset, the
// warning line over it, and the serial row of the settings listing when the
// settings name a block.
#include <cstdio>
#include <iterator>

#include "app/ProductionDialog.h"
#include "production/StationSerials.h"
#include "production/StationState.h"
#include "record/RecordSerials.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "settings/SettingsText.h"

namespace talven {

namespace {

// A settings text's characters, as the listing shows every text.
std::wstring Characters(const std::string& settingsText) {
    const std::u16string units = Utf16(DecodeSettingsText(settingsText));
    return std::wstring(units.begin(), units.end());
}

template <typename... Arguments>
std::string Format(unsigned id, Arguments... arguments) {
    char text[256];
    std::snprintf(text, sizeof text, StringText(id), arguments...);
    return text;
}

// The serial row: the words as the string table has them (the dash is not
// ASCII), each serial as its characters, whichever way the file spells it.
std::wstring SerialRowText(const SerialPlan& plan) {
    if (!plan.problem.empty()) return Characters(plan.problem);
    const std::string serials[] = {plan.next, plan.block->first.Text(), plan.block->At(plan.block->last).Text(),
                                   plan.after};
    wchar_t format[256] = {};
    ::LoadStringW(::GetModuleHandleW(nullptr), plan.after.empty() ? IDS_SERIAL_NEXT : IDS_SERIAL_GOES_ON, format,
                  static_cast<int>(std::size(format)));
    std::wstring text;
    std::size_t next = 0;
    for (const wchar_t* at = format; *at != 0; ++at) {
        if (at[0] == L'%' && at[1] == L's' && next < std::size(serials)) {
            text += Characters(serials[next++]);
            ++at;
        } else {
            text += *at;
        }
    }
    return text;
}

}  // namespace

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

void ProductionDialog::ShowNextSerial(const SettingsSnapshot& settings) {
    if (!listEepromMode || serialRow < 0 || serialRow >= RowCount()) return;
    // A first start reads a year of the record for seconds: its progress is shown.
    // What the status line said, back after the progress (a GO's note on its serial).
    char said[512] = {};
    ::GetDlgItemTextA(GetSafeHwnd(), IDC_STATUS_LINE, said, sizeof said);
    bool progressShown = false;
    const auto progress = [this, &progressShown](std::size_t read, std::size_t total) {
        progressShown = true;
        SetStatusText(Format(IDS_SERIAL_SCANNING, static_cast<unsigned>(read), static_cast<unsigned>(total)).c_str());
        PumpMessages();
    };
    const SerialPlan plan = PlanSerial(platform, settings, settingsPath, [&] {
        return ScanRecordSerials(platform, settings, settingsPath, progress);
    });
    if (progressShown) SetStatusText(said);
    // Without a block the row lists SN as it stands, and says every reader gets it.
    if (!plan.block && plan.problem.empty()) {
        const CheckedSetting& serial = settings.Checked(kSerialNumberKey);
        if (serial.reason.empty())
            readerList.SetItemText(serialRow, 1, Characters(Format(IDS_SERIAL_FIXED, serial.text.c_str())));
        return;
    }
    readerList.SetItemText(serialRow, 1, SerialRowText(plan));
    if (!plan.problem.empty()) readerList.SetItemImage(serialRow, kRowFailed);
}

}  // namespace talven
