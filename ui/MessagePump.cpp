#include "ui/MessagePump.h"

#include "ui/Dialog.h"

namespace talven::ui {

bool PreTranslateForDialogs(MSG& message) {
    for (HWND window = message.hwnd; window != nullptr; window = ::GetParent(window)) {
        if (CDialog* dialog = CDialog::FromHandle(window); dialog != nullptr && dialog->PreTranslateMessage(&message)) {
            return true;
        }
        // GetParent of a top-level window is its owner: stop there.
        if ((::GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0) {
            break;
        }
    }
    return false;
}

void PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!PreTranslateForDialogs(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

}  // namespace talven::ui
