// The application object: WinMain hands over to RunWinApp.
#pragma once

#include <string>

#include "ui/Wnd.h"

namespace talven::ui {

class CWinApp {
public:
    CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp() = default;

    // False ends the program without a message loop of the application's own.
    virtual bool InitInstance() = 0;
    // The program's exit code.
    virtual int ExitInstance() { return exitCode; }

    CWnd* mainWnd = nullptr;

protected:
    int exitCode = 0;
};

// Registers the common controls, runs InitInstance and, when it returns
// true, a message loop until WM_QUIT; returns the exit code.
int RunWinApp(CWinApp& app);

// A string of the program's string table; empty when it has none.
std::string LoadResourceString(unsigned id);

}  // namespace talven::ui
