#include "ui/ToolTipCtrl.h"

#include <commctrl.h>

namespace talven::ui {
namespace {

TOOLINFOA ToolRecord(CWnd* tool, const char* text) {
    TOOLINFOA record{};
    // The version-2 size is understood by every common-controls version.
    record.cbSize = TTTOOLINFOA_V2_SIZE;
    record.uFlags = TTF_IDISHWND;
    record.hwnd = ::GetParent(tool->GetSafeHwnd());
    record.uId = reinterpret_cast<UINT_PTR>(tool->GetSafeHwnd());
    record.lpszText = const_cast<char*>(text);
    return record;
}

}  // namespace

CToolTipCtrl::~CToolTipCtrl() {
    // A tooltip is a top-level window owned by the dialog; it goes with the
    // dialog, but one whose dialog outlives this object must not be left over.
    if (hwnd != nullptr && ::IsWindow(hwnd)) {
        ::DestroyWindow(hwnd);
    }
}

bool CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    hwnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, parent->GetSafeHwnd(), nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
    return hwnd != nullptr;
}

void CToolTipCtrl::Activate(bool activate) { SendMessage(TTM_ACTIVATE, activate ? TRUE : FALSE, 0); }

bool CToolTipCtrl::AddTool(CWnd* tool, const char* text) {
    TOOLINFOA record = ToolRecord(tool, text);
    return SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&record)) != 0;
}

void CToolTipCtrl::DelTool(CWnd* tool) {
    TOOLINFOA record = ToolRecord(tool, nullptr);
    SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&record));
}

void CToolTipCtrl::RelayEvent(MSG* message) {
    if (hwnd != nullptr) {
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(message));
    }
}

}  // namespace talven::ui
