#include "ui/WinApp.h"

#include <commctrl.h>

#include "ui/MessagePump.h"

namespace talven::ui {

int RunWinApp(CWinApp& app) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
    if (!app.InitInstance()) {
        return app.ExitInstance();
    }
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!PreTranslateForDialogs(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return app.ExitInstance();
}

std::string LoadResourceString(unsigned id) {
    // String resources are at most 4097 characters with their terminator.
    char buffer[4097];
    const int length = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

}  // namespace talven::ui
