#pragma once
// Runs the UI thread's event loop from a test, as the program's own loop
// would: socket notifications, timers and boxes are served meanwhile.
#include <functional>

// Pumps events until done() holds or timeoutMs have passed; done()'s last
// answer.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000);
