// Message handling shared by the modal loops and the pump of long runs.
#pragma once

#include <windows.h>

namespace talven::ui {

// Offers `message` to PreTranslateMessage of the dialogs it is meant for: the
// dialog of its window and of each parent up to the top-level window. True
// when one of them handled it (it must then not be dispatched).
bool PreTranslateForDialogs(MSG& message);

// Dispatches every queued message of this thread, then returns. A quit
// request is put back for the outermost loop.
void PumpMessages();

}  // namespace talven::ui
