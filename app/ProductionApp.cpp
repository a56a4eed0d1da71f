#include "app/ProductionApp.h"

#include "app/ProductionDialog.h"

namespace talven {

bool ProductionApp::InitInstance() {
    // Control hosting and 3-D controls need nothing here: the common controls
    // are registered by RunWinApp and the dialogs draw in the system style.
    ProductionDialog dialog(platform, nullptr, simulated);
    mainWnd = &dialog;
    dialog.DoModal();
    mainWnd = nullptr;
    // No message loop of the application's own.
    return false;
}

}  // namespace talven
