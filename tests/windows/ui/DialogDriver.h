// Drives modal loops from a thread timer, so that a test can act inside a
// DoModal or a message box, and can never hang in one: after a bounded
// number of ticks every dialog and message box of the thread is ended.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/Dialog.h"

namespace talven::test {

inline BOOL CALLBACK CollectDialogWindow(HWND window, LPARAM found) {
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

inline std::vector<HWND> ThreadDialogWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectDialogWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The thread's top-level dialog of type T, or null.
template <typename T>
T* FindDialog() {
    for (HWND window : ThreadDialogWindows()) {
        if (auto* dialog = dynamic_cast<T*>(ui::CDialog::FromHandle(window)); dialog != nullptr) {
            return dialog;
        }
    }
    return nullptr;
}

// A dialog window of the thread that is none of the framework's (a message
// box), or null.
inline HWND FindMessageBox() {
    for (HWND window : ThreadDialogWindows()) {
        if (ui::CDialog::FromHandle(window) == nullptr) {
            return window;
        }
    }
    return nullptr;
}

class DialogDriver {
public:
    // `step` runs on every tick until it returns true.
    explicit DialogDriver(std::function<bool()> step, int maxTicks = 200)
        : step(std::move(step)), ticksLeft(maxTicks) {
        current = this;
        timer = ::SetTimer(nullptr, 0, 20, &DialogDriver::Tick);
    }
    ~DialogDriver() {
        ::KillTimer(nullptr, timer);
        current = nullptr;
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    bool Done() const { return done; }
    bool GaveUp() const { return gaveUp; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogDriver* driver = current;
        if (driver == nullptr || driver->done || driver->busy) {
            return;
        }
        driver->busy = true;  // a step may run a modal loop of its own
        if (--driver->ticksLeft < 0) {
            driver->gaveUp = true;
            driver->done = true;
            EndEverything();
        } else if (driver->step()) {
            driver->done = true;
        }
        driver->busy = false;
    }

    static void EndEverything() {
        for (HWND window : ThreadDialogWindows()) {
            if (ui::CDialog* dialog = ui::CDialog::FromHandle(window); dialog != nullptr) {
                dialog->EndDialog(-1);
            } else {
                ::PostMessageA(window, WM_COMMAND, IDOK, 0);
            }
        }
    }

    static inline DialogDriver* current = nullptr;
    std::function<bool()> step;
    int ticksLeft;
    UINT_PTR timer = 0;
    bool done = false;
    bool gaveUp = false;
    bool busy = false;
};

// Sends a button click notification as a click on the control would.
inline void Click(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

}  // namespace talven::test
