#include "about/AboutDialog.h"

#include "about/VersionInfo.h"
#include "resources/resource.h"
#include "resources/StringTable.h"
#include "ui/DataExchange.h"
#include "ui/WinApp.h"

namespace talven {

AboutDialog::AboutDialog(ui::CWnd* parent) : ui::CDialog(IDD_ABOUT_DIALOG, parent) {}

AboutDialog::~AboutDialog() { DestroyWindow(); }

void AboutDialog::DoDataExchange(ui::CDataExchange& exchange) {
    ui::CDialog::DoDataExchange(exchange);
    ui::DDX_Control(exchange, IDC_ABOUT_EXIT, exitButton);
    ui::DDX_Text(exchange, IDC_VERSION_TEXT, versionText);
    ui::DDX_Text(exchange, IDC_BUILD_TEXT, buildText);
}

bool AboutDialog::OnInitDialog() {
    ui::CDialog::OnInitDialog();
    toolTip.Create(this, 0);
    toolTip.Activate(true);
    exitButton.LoadBitmaps(IDB_EXIT_UP, IDB_EXIT_SELECTED, IDB_EXIT_FOCUSED, IDB_EXIT_DISABLED);
    exitButton.SizeToContent();
    toolTip.AddTool(&exitButton, ui::LoadResourceString(IDS_EXIT).c_str());
    LookUpVersion();
    return true;
}

void AboutDialog::LookUpVersion() {
    const VersionTexts texts = ReadOwnVersionTexts();
    versionText = texts.version;
    buildText = texts.build;
    UpdateData(false);
}

bool AboutDialog::PreTranslateMessage(MSG* message) {
    if (message->message == WM_MOUSEMOVE || message->message == WM_LBUTTONDOWN ||
        message->message == WM_LBUTTONUP) {
        toolTip.RelayEvent(message);
    }
    return ui::CDialog::PreTranslateMessage(message);
}

bool AboutDialog::OnCommand(UINT id, UINT code) {
    if (id == IDC_ABOUT_EXIT && code == BN_CLICKED) {
        OnExit();
        return true;
    }
    return ui::CDialog::OnCommand(id, code);
}

void AboutDialog::OnExit() {
    toolTip.DelTool(&exitButton);
    // The base OK handling: read back, then end; our own OnOK does nothing.
    ui::CDialog::OnOK();
}

}  // namespace talven
