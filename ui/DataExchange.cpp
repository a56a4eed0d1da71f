#include "ui/DataExchange.h"

#include <cstdio>

#include "platform/AsciiText.h"
#include "ui/Dialog.h"

namespace talven::ui {
namespace {

std::string ControlText(HWND control) {
    CWnd window;
    window.Attach(control);
    std::string text = window.GetWindowText();
    window.Detach();
    return text;
}

bool IsRadioButton(HWND control) {
    return (::SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

}  // namespace

void CDataExchange::Fail(HWND control, const char* prompt) {
    failed = true;
    if (control != nullptr) {
        ::SetFocus(control);
        ::SendMessageA(control, EM_SETSEL, 0, -1);
    }
    ::MessageBoxA(dialog.GetSafeHwnd(), prompt, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void DDX_Control(CDataExchange& exchange, int id, CWnd& control) {
    if (exchange.Failed() || control.GetSafeHwnd() != nullptr) {
        return;
    }
    HWND window = exchange.Dialog().GetDlgItem(id);
    if (window == nullptr) {
        return;
    }
    control.Attach(window);
    exchange.Dialog().RegisterControl(&control);
}

void DDX_Radio(CDataExchange& exchange, int firstId, int& value) {
    if (exchange.Failed()) {
        return;
    }
    HWND control = exchange.Dialog().GetDlgItem(firstId);
    if (control == nullptr) {
        return;
    }
    if (exchange.SaveAndValidate()) {
        value = -1;
    }
    // The group runs from the first radio to the next control that starts a
    // group or is no radio button.
    int index = 0;
    for (; control != nullptr && IsRadioButton(control); control = ::GetWindow(control, GW_HWNDNEXT), ++index) {
        if (index > 0 && (::GetWindowLongA(control, GWL_STYLE) & WS_GROUP) != 0) {
            break;
        }
        if (exchange.SaveAndValidate()) {
            if (::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                value = index;
            }
        } else {
            ::SendMessageA(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void DDX_Text(CDataExchange& exchange, int id, std::string& value) {
    if (exchange.Failed()) {
        return;
    }
    HWND control = exchange.Dialog().GetDlgItem(id);
    if (control == nullptr) {
        return;
    }
    if (exchange.SaveAndValidate()) {
        value = ControlText(control);
    } else {
        ::SetWindowTextA(control, value.c_str());
    }
}

bool ParseByte(const std::string& text, std::uint8_t& value) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    unsigned number = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
        number = number * 10 + static_cast<unsigned>(text[at] - '0');
        if (number > 255) {
            return false;
        }
    }
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    if (digits == 0 || at != text.size()) {
        return false;
    }
    value = static_cast<std::uint8_t>(number);
    return true;
}

void DDX_Text(CDataExchange& exchange, int id, std::uint8_t& value) {
    if (exchange.Failed()) {
        return;
    }
    HWND control = exchange.Dialog().GetDlgItem(id);
    if (control == nullptr) {
        return;
    }
    if (exchange.SaveAndValidate()) {
        std::uint8_t number = 0;
        if (!ParseByte(ControlText(control), number)) {
            exchange.Fail(control, kParseBytePrompt);
            return;
        }
        value = number;
    } else {
        char text[8];
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
        ::SetWindowTextA(control, text);
    }
}

}  // namespace talven::ui
