#pragma once
// Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the program
// still runs, on Qt's offscreen platform, so it can serve on a headless
// machine. Called before the application object is made.
void UseOffscreenWithoutDisplay();
