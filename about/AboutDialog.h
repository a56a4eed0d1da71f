// The about box: version and build from the program's own version record. It
// has no caption, and its Exit button is its only way out.
#pragma once

#include <string>

#include "ui/BitmapButton.h"
#include "ui/Dialog.h"
#include "ui/ToolTipCtrl.h"

namespace talven {

class AboutDialog : public ui::CDialog {
public:
    explicit AboutDialog(ui::CWnd* parent = nullptr);
    ~AboutDialog() override;

    bool PreTranslateMessage(MSG* message) override;

    const std::string& VersionText() const { return versionText; }
    const std::string& BuildText() const { return buildText; }
    HWND ToolTipWindow() const { return toolTip.GetSafeHwnd(); }

protected:
    void DoDataExchange(ui::CDataExchange& exchange) override;
    bool OnInitDialog() override;
    // Enter, Escape and close requests leave the box open.
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(UINT id, UINT code) override;

private:
    void OnExit();
    void LookUpVersion();

    ui::CBitmapButton exitButton;
    std::string versionText;
    std::string buildText;
    ui::CToolTipCtrl toolTip;
};

}  // namespace talven
