// Help > Line report: the report over the station's record folder, shown in
// the default browser; whatever keeps it from showing is said in a box.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>

#include "app/ProductionDialog.h"
#include "report/StationReport.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace talven {

namespace {

// The trainer's resources carry its own caption; its report is the trainer's lines.
bool IsTrainer(HWND window) {
    char caption[128] = {};
    ::GetWindowTextA(window, caption, sizeof caption);
    return std::string(caption) == TALVEN_SIMULATED_CAPTION;
}

std::string TempFolder() {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathA(sizeof folder, folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

}  // namespace

void ProductionDialog::OnLineReport() {
    if (RunInProgress() || record == nullptr) return;
    // The lines that wait belong in the report as much as those written.
    record->Flush();
    SetRecordNote(RecordBehindText(*record, *this).c_str());
    const bool trainer = IsTrainer(hwnd);
    const std::string page = StationReportPath(TempFolder(), trainer);
    std::string message;
    const HCURSOR cursor = ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT
    const bool written = WriteStationReport(platform, record->Folder(), trainer, page, message);
    ::SetCursor(cursor);
    if (written) {
        const auto started =
            reinterpret_cast<INT_PTR>(::ShellExecuteA(hwnd, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        // Anything up to 32 is ShellExecute's error.
        if (started > 32) return;
        char text[1024];
        std::snprintf(text, sizeof text, LoadText(IDS_REPORT_NO_BROWSER).c_str(), page.c_str(),
                      static_cast<unsigned>(started));
        message = text;
    }
    char caption[128] = {};
    ::GetWindowTextA(hwnd, caption, sizeof caption);
    ::MessageBoxA(hwnd, message.c_str(), caption, MB_OK | MB_ICONWARNING);
}

}  // namespace talven
