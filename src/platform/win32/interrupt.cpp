#include "platform/interrupt.h"

#include "platform/work_progress.h"

#include <windows.h>

namespace {

// Runs on a thread of its own that the console starts; FALSE hands the event on to the default
// handler, which ends the process.
BOOL WINAPI stopWorkOrEnd(DWORD event) {
    WorkProgress* progress = WorkProgress::current();
    if (event == CTRL_C_EVENT && progress != nullptr && progress->working()) {
        progress->requestStop();
        return TRUE;
    }
    return FALSE;
}

} // namespace

namespace platform {

void stopWorkOnInterrupt() {
    SetConsoleCtrlHandler(stopWorkOrEnd, TRUE);
}

} // namespace platform
