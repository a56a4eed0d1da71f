// Message handling shared by the modal loops and the pump of long runs.
#pragma once

#include <windows.h>

namespace talven::ui {

// Offers `message` to PreTranslateMessage of the dialogs it is meant for: the
// dialog of its window and of each parent up to the top-level window. True
// when one of them handled it (it must then not be dispatched).
bool PreTranslateForDialogs(MSG& message);

// Dispatches every queued message of this thread, then returns. A quit
// request is put back for the outermost loop, or held while a QuitHold lives.
void PumpMessages();

// Held by a long run that pumps messages. A quit request put back at once
// would end every later pump before its input and timer messages (a quit
// comes before them), and the run would no longer hear GO or the drive watch.
// So a pump holds the request, and the last hold to go puts it back: the run
// ends first, then the program.
class QuitHold {
public:
    QuitHold();
    ~QuitHold();
    QuitHold(const QuitHold&) = delete;
    QuitHold& operator=(const QuitHold&) = delete;
};

}  // namespace talven::ui
