#include "app/ProductionDialog.h"

#include "about/AboutDialog.h"
#include "about/VersionInfo.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "app/SetupDialog.h"
#include "ui/DataExchange.h"

namespace talven {
namespace {

constexpr UINT_PTR kDriveWatchTimer = 1;
constexpr UINT kDriveWatchPeriod = 1000;

std::string ProgramVersion() { return ReadOwnVersionTexts().version; }

}  // namespace

ProductionDialog::ProductionDialog(Platform& platform, ui::CWnd* parent, bool simulated)
    : ui::CDialog(IDD_PRODUCTION_DIALOG, parent),
      platform(platform),
      simulated(simulated),
      appIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APPLICATION_ICON))) {}

ProductionDialog::~ProductionDialog() { DestroyWindow(); }

void ProductionDialog::DoDataExchange(ui::CDataExchange& exchange) {
    ui::CDialog::DoDataExchange(exchange);
    ui::DDX_Control(exchange, IDC_GO, goButton);
    ui::DDX_Control(exchange, IDC_EXIT, exitButton);
    ui::DDX_Control(exchange, IDC_STATUS_LINE, statusLine);
    ui::DDX_Control(exchange, IDC_READER_LIST, readerList);
    ui::DDX_Control(exchange, IDC_SHIFT_COUNTS, countsLine);
    ui::DDX_Control(exchange, IDC_SUSPECT_LINE, suspectLine);
}

bool ProductionDialog::OnInitDialog() {
    ui::CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));
    DeriveSettingsPath(platform, settingsPath);
    record = std::make_unique<VerdictRecord>(platform, DefaultSpoolPath(platform, simulated), ProgramVersion(),
                                             simulated);
    LoadShiftCounts();
    const SettingsSnapshot settings = ReadSettings();
    FollowRecordFolder(settings);
    // Lines an earlier start left in the spool go out now.
    record->Flush();
    SetRecordNote(RecordBehindText(*record, *this).c_str());
    RebuildReaderList(settings);
    ShowShiftCounts();

    toolTip.Create(this, 0);
    toolTip.Activate(true);
    exitButton.LoadBitmaps(IDB_EXIT_UP, IDB_EXIT_SELECTED, IDB_EXIT_FOCUSED, IDB_EXIT_DISABLED);
    exitButton.SizeToContent();
    toolTip.AddTool(&exitButton, LoadText(IDS_EXIT).c_str());
    LoadGoFaces(false);
    toolTip.AddTool(&goButton, GoToolText(settings).c_str());

    ::SetTimer(hwnd, kDriveWatchTimer, kDriveWatchPeriod, nullptr);
    return true;
}

std::string ProductionDialog::GoToolText(const SettingsSnapshot& settings) const {
    return LoadText(settings.EepromMode() ? IDS_WRITE_EEPROM : IDS_WRITE_READ_TEST);
}

bool ProductionDialog::PreTranslateMessage(MSG* message) {
    if (message->message == WM_MOUSEMOVE || message->message == WM_LBUTTONDOWN ||
        message->message == WM_LBUTTONUP) {
        toolTip.RelayEvent(message);
    }
    return ui::CDialog::PreTranslateMessage(message);
}

bool ProductionDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_PAINT:
            return PaintMinimised();
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(appIcon);
            return true;
        case WM_DESTROY:
            DeleteImageList();
            return false;
        case WM_CLOSE:
            OnCancel();
            return true;
        case WM_TIMER:
            return OnTimer(wParam);
        case WM_CTLCOLORSTATIC:
            return ColourSuspectLine(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), result);
        default:
            return false;
    }
}

bool ProductionDialog::OnCommand(UINT id, UINT code) {
    // GO carries the cancel id, so Escape is GO; EXIT carries the OK id.
    if (id == IDC_GO && code == BN_CLICKED) {
        OnGo();
        return true;
    }
    if (id == IDM_SETTING && code == 0) {
        OnSetting();
        return true;
    }
    if (id == IDM_ABOUT && code == 0) {
        OnAbout();
        return true;
    }
    if (id == IDM_RESET_COUNTS && code == 0) {
        OnResetCounts();
        return true;
    }
    if (id == IDM_LINE_REPORT && code == 0) {
        OnLineReport();
        return true;
    }
    return ui::CDialog::OnCommand(id, code);
}

bool ProductionDialog::PaintMinimised() {
    if (!::IsIconic(hwnd)) {
        return false;
    }
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, appIcon);
    ::EndPaint(hwnd, &paint);
    return true;
}

void ProductionDialog::OnOK() {
    if (RunInProgress() || !MayClose()) {
        return;
    }
    toolTip.DelTool(&exitButton);
    toolTip.DelTool(&goButton);
    ui::CDialog::OnOK();
}

void ProductionDialog::OnCancel() {
    if (RunInProgress() || !MayClose()) {
        return;
    }
    toolTip.DelTool(&exitButton);
    toolTip.DelTool(&goButton);
    ui::CDialog::OnCancel();
}

void ProductionDialog::OnSetting() {
    if (RunInProgress()) {
        return;
    }
    SetupDialog setup(platform, this);
    if (setup.DoModal() != IDOK) {
        return;
    }
    FollowSettings(ReadSettings());
}

void ProductionDialog::FollowSettings(const SettingsSnapshot& settings) {
    const std::string goText = GoToolText(settings);
    FollowRecordFolder(settings);
    RebuildReaderList(settings);
    ShowShiftCounts();
    toolTip.DelTool(&goButton);
    toolTip.AddTool(&goButton, goText.c_str());
}

void ProductionDialog::OnAbout() {
    if (RunInProgress()) {
        return;
    }
    AboutDialog about(this);
    about.DoModal();
}

}  // namespace talven
