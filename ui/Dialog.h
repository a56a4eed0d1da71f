// A dialog on a template of the program's resources, with virtual handlers.
//
// The modal loop is our own (CreateDialogParamA, then GetMessage with the
// framework's pre-translation) rather than DialogBoxParamA: a dialog needs to
// see its messages before they are translated (PreTranslateMessage, the
// tooltip relay), and DialogBoxParamA's loop offers no such point. The same
// pre-translation runs in PumpMessages, so keyboard handling (Enter, Escape,
// Tab) and the tooltip relay keep working while a long run pumps messages.
#pragma once

#include <vector>

#include "ui/Wnd.h"

namespace talven::ui {

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(unsigned templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; the result given to EndDialog, or -1 when the
    // dialog could not be created.
    INT_PTR DoModal();
    // Creates the dialog modeless, shown or hidden; false when it cannot be
    // created.
    bool Create(bool show = true);
    void DestroyWindow();

    // Ends a modal run with `result` once the current handler returns. A
    // modeless dialog only records it.
    void EndDialog(int result);
    bool IsEnded() const { return ended; }
    int Result() const { return result; }

    // Runs DoDataExchange: showing (false) or reading back (true). False when
    // a value was refused.
    bool UpdateData(bool saveAndValidate);

    virtual bool PreTranslateMessage(MSG* message);

    // The dialog attached to a window, or null.
    static CDialog* FromHandle(HWND window);
    // Makes a control receive its WM_DRAWITEM messages (DDX_Control does it).
    void RegisterControl(CWnd* control);

protected:
    virtual void DoDataExchange(CDataExchange& exchange);
    // Base: shows the members (UpdateData(false)); true gives focus to the
    // first control.
    virtual bool OnInitDialog();
    // Base: reads the members back and ends with IDOK when that succeeds.
    virtual void OnOK();
    // Base: ends with IDCANCEL.
    virtual void OnCancel();
    // The message map: true when handled, with the message's result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // WM_COMMAND by control or menu id and notification code. Base: OK and
    // cancel buttons (BN_CLICKED) call OnOK and OnCancel.
    virtual bool OnCommand(UINT id, UINT code);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    HWND CreateWindowFromTemplate();
    // Dispatches messages until the dialog has ended.
    void RunModalLoop();
    void Forget();

    unsigned templateId;
    CWnd* parent;
    bool ended = false;
    int result = -1;
    std::vector<CWnd*> controls;
};

}  // namespace talven::ui
