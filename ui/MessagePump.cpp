#include "ui/MessagePump.h"

#include "ui/Dialog.h"

namespace talven::ui {
namespace {

// A thread's quit request taken by a pump while a QuitHold lives.
struct HeldQuit {
    int holds = 0;
    bool held = false;
    int exitCode = 0;
};
thread_local HeldQuit heldQuit;

}  // namespace

QuitHold::QuitHold() { ++heldQuit.holds; }

QuitHold::~QuitHold() {
    if (--heldQuit.holds == 0 && heldQuit.held) {
        heldQuit.held = false;
        ::PostQuitMessage(heldQuit.exitCode);
    }
}

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
            if (heldQuit.holds == 0) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            heldQuit.held = true;
            heldQuit.exitCode = static_cast<int>(message.wParam);
            continue;
        }
        if (!PreTranslateForDialogs(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
}

}  // namespace talven::ui
