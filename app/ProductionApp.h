// The application object: runs the main window modally; the program ends
// when the window closes.
#pragma once

#include "platform/Platform.h"
#include "ui/WinApp.h"

namespace talven {

class ProductionApp : public ui::CWinApp {
public:
    explicit ProductionApp(Platform& platform) : platform(platform) {}

    bool InitInstance() override;

private:
    Platform& platform;
};

}  // namespace talven
