// The window's part of the record of verdicts: the note in the status line
// while lines wait, their retries, the folder the settings name, and the
// warning at closing.
#include "app/ProductionDialog.h"

namespace talven {
namespace {

constexpr unsigned kRecordRetryTicks = 5;

}  // namespace

void ProductionDialog::SetRecordNote(const char* text) {
    recordNote = text;
    ShowStatusLine();
}

void ProductionDialog::FollowRecordFolder(const SettingsSnapshot& settings) {
    record->SetFolder(settings.Checked(kRecordFolderKey).text);
}

void ProductionDialog::RetryRecord() {
    if (record == nullptr || (record->Waiting() == 0 && !record->SpoolUnread()) ||
        ++ticksSinceRecordTry < kRecordRetryTicks)
        return;
    ticksSinceRecordTry = 0;
    record->Flush();
    SetRecordNote(RecordBehindText(*record, *this).c_str());
}

// Verdicts still waiting have a last chance. Those that still wait are
// named to the operator, who acknowledges that they stay in the spool for the
// next start, or, when even the spool could not take them, may keep the
// window open.
bool ProductionDialog::MayClose() {
    if (record == nullptr || record->Flush()) return true;
    SetRecordNote(RecordBehindText(*record, *this).c_str());
    char caption[128] = {};
    ::GetWindowTextA(hwnd, caption, sizeof caption);
    const UINT buttons = record->Unspooled() == 0 ? MB_OK : MB_OKCANCEL | MB_DEFBUTTON2;
    return ::MessageBoxA(hwnd, RecordClosingText(*record, *this).c_str(), caption, buttons | MB_ICONWARNING) == IDOK;
}

}  // namespace talven
