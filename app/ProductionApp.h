// The application object: runs the main window modally; the program ends
// when the window closes.
#pragma once

#include "platform/Platform.h"
#include "ui/WinApp.h"

namespace talven {

class ProductionApp : public ui::CWinApp {
public:
    // A `simulated` station (the trainer) keeps a record apart from the line's.
    explicit ProductionApp(Platform& platform, bool simulated = false) : platform(platform), simulated(simulated) {}

    bool InitInstance() override;

private:
    Platform& platform;
    bool simulated;
};

}  // namespace talven
