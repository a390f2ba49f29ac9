#pragma once
// Ending the session: on Linux SIGTERM, SIGINT and SIGHUP, on Windows the end
// of the Windows session (WM_ENDSESSION), become a call on the UI thread, from
// its event loop (a nested one included), so the program can save and close
// its window as it does when the user closes it. On Windows the process may
// end as soon as the call returns.
#include <functional>

// Needs the application object. Signals that arrive together make one call of
// onEnd. A second call replaces onEnd; after an empty one the signals are
// caught and ignored, so that a late one cannot cut short the final save.
void InstallSessionSignals(std::function<void()> onEnd);
