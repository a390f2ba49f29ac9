#pragma once
// Ending the session: SIGTERM, SIGINT and SIGHUP become a call on the UI
// thread, from its event loop (a nested one included), so the program can close
// its window and save as it does when the user closes it.
#include <functional>

// Needs the application object. Signals that arrive together make one call of
// onEnd. A second call replaces onEnd; after an empty one the signals are
// caught and ignored, so that a late one cannot cut short the final save.
void InstallSessionSignals(std::function<void()> onEnd);
