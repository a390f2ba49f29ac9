#pragma once
// The program serves whether or not it can show its window. Without a display
// (neither DISPLAY nor WAYLAND_DISPLAY set) it runs on Qt's offscreen
// platform. With one, the display's platform is tried first and the offscreen
// one after it, so a display that cannot be opened (one that sudo or ssh left
// behind) makes it run headless instead of aborting.

// Called before the application object is made. A platform that the user's
// environment names is left as it is.
void ChooseDisplayPlatform();

// Called once the application object is made: TRUE when the program runs on
// the offscreen platform. A display that was named but could not be opened is
// said on standard error.
bool StartedHeadless();
