#pragma once
// Windowless timers in the manner of USER32's SetTimer and KillTimer, driven
// by the Qt event loop of the UI thread.
#include "platform/WinTypes.h"

// On Windows the timers are USER32's own.
#ifndef _WIN32
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Calls proc(window, WM_TIMER, id, milliseconds since start-up) about every
// elapseMs. Without a window the id is chosen here (never 0) and idEvent is
// ignored; with a window, idEvent names the timer and an existing one is
// replaced. Returns 0 on failure.
UINT_PTR SetTimer(HWND window, UINT_PTR idEvent, UINT elapseMs, TIMERPROC proc);
BOOL KillTimer(HWND window, UINT_PTR id);
#endif
