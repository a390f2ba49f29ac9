// Timers that never fire: the fuzz driver calls OnTimerTick itself, so no
// event loop and no QTimer are needed. Linked in place of platform/WinTimer.cpp.
#include "platform/WinTimer.h"

UINT_PTR SetTimer(HWND window, UINT_PTR idEvent, UINT, TIMERPROC proc)
{
    if (!proc)
        return 0;
    return window ? idEvent : 1;
}

BOOL KillTimer(HWND, UINT_PTR)
{
    return TRUE;
}
