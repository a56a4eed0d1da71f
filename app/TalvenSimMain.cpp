// TalvenSim.exe: the same program on a simulated station, for the demo,
// training and end-to-end runs. Windows itself stays the outer platform, so
// settings and the program's own path are real.
#include <windows.h>

#include <string>

#include "app/ProductionApp.h"
#include "platform/win32/Win32Platform.h"
#include "sim/StationLoader.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    talven::Win32Platform outer;
    std::string error;
    std::unique_ptr<talven::SimulatedStation> station = talven::LoadStationForProgram(outer, error);
    if (station == nullptr) {
        // No console in a GUI program: the one place to say why it stops.
        ::MessageBoxA(nullptr, error.c_str(), "TalvenSim", MB_OK | MB_ICONERROR);
        return 1;
    }
    talven::ProductionApp app(*station, true);
    return talven::ui::RunWinApp(app);
}
