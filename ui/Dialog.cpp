#include "ui/Dialog.h"

#include <algorithm>

#include "ui/DataExchange.h"
#include "ui/MessagePump.h"

namespace talven::ui {
namespace {

constexpr const char* kDialogProperty = "TalvenDialog";

// Dialog procedures return these messages' results directly instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CHARTOITEM:
        case WM_COMPAREITEM:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_QUERYDRAGICON:
        case WM_VKEYTOITEM:
            return true;
        default:
            return false;
    }
}

}  // namespace

CDialog::CDialog(unsigned templateId, CWnd* parent) : templateId(templateId), parent(parent) {}

CDialog::~CDialog() { DestroyWindow(); }

CDialog* CDialog::FromHandle(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    return static_cast<CDialog*>(::GetPropA(window, kDialogProperty));
}

HWND CDialog::CreateWindowFromTemplate() {
    ended = false;
    result = -1;
    HWND owner = parent != nullptr ? parent->GetSafeHwnd() : nullptr;
    return ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(bool show) {
    if (hwnd != nullptr) {
        return false;
    }
    HWND window = CreateWindowFromTemplate();
    if (window == nullptr) {
        return false;
    }
    if (show) {
        ::ShowWindow(window, SW_SHOW);
    }
    return true;
}

INT_PTR CDialog::DoModal() {
    if (hwnd != nullptr) {
        return -1;
    }
    HWND window = CreateWindowFromTemplate();
    if (window == nullptr) {
        return -1;
    }
    HWND owner = ::GetWindow(window, GW_OWNER);
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) {
        ::EnableWindow(owner, FALSE);
    }
    if (!ended) {
        ::ShowWindow(window, SW_SHOW);
    }
    RunModalLoop();
    // The owner is enabled before the dialog goes, so that it gets activated.
    if (disableOwner) {
        ::EnableWindow(owner, TRUE);
    }
    DestroyWindow();
    return result;
}

// `ended` is also set when the window is destroyed by anyone, so the loop
// cannot outlive its dialog.
void CDialog::RunModalLoop() {
    while (!ended) {
        MSG message;
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            // Leave the quit request for the loop outside this one.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!PreTranslateForDialogs(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

void CDialog::DestroyWindow() {
    if (hwnd != nullptr) {
        ::DestroyWindow(hwnd);
        // WM_NCDESTROY normally forgets the window; a window destroyed by
        // other means leaves nothing to forget.
        if (hwnd != nullptr && !::IsWindow(hwnd)) {
            Forget();
        }
    }
}

void CDialog::Forget() {
    if (hwnd != nullptr) {
        ::RemovePropA(hwnd, kDialogProperty);
    }
    for (CWnd* control : controls) {
        control->Detach();
    }
    controls.clear();
    hwnd = nullptr;
    ended = true;
}

void CDialog::EndDialog(int endResult) {
    result = endResult;
    ended = true;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange exchange(*this, saveAndValidate);
    DoDataExchange(exchange);
    return !exchange.Failed();
}

void CDialog::RegisterControl(CWnd* control) {
    if (std::find(controls.begin(), controls.end(), control) == controls.end()) {
        controls.push_back(control);
    }
}

void CDialog::DoDataExchange(CDataExchange&) {}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::PreTranslateMessage(MSG* message) { return ::IsDialogMessageA(hwnd, message) != FALSE; }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CDialog::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED) {
        return false;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& messageResult) {
    if (OnMessage(message, wParam, lParam, messageResult)) {
        return true;
    }
    switch (message) {
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            for (CWnd* control : controls) {
                if (control->GetSafeHwnd() == item->hwndItem && control->DrawItem(*item)) {
                    messageResult = TRUE;
                    return true;
                }
            }
            return false;
        }
        default:
            return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->hwnd = window;
        ::SetPropA(window, kDialogProperty, dialog);
        return dialog->OnInitDialog() ? TRUE : FALSE;
    }
    CDialog* dialog = FromHandle(window);
    if (dialog == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        dialog->Forget();
        return FALSE;
    }
    LRESULT messageResult = 0;
    if (!dialog->Dispatch(message, wParam, lParam, messageResult)) {
        return FALSE;
    }
    if (ReturnsResultDirectly(message)) {
        return static_cast<INT_PTR>(messageResult);
    }
    ::SetWindowLongPtrA(window, DWLP_MSGRESULT, messageResult);
    return TRUE;
}

}  // namespace talven::ui
