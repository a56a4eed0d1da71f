// Talven.exe: the station program on Windows itself.
#include <windows.h>

#include "app/ProductionApp.h"
#include "platform/win32/Win32Platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    talven::Win32Platform platform;
    talven::ProductionApp app(platform);
    return talven::ui::RunWinApp(app);
}
