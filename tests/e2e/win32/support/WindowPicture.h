#pragma once
// Pictures of the program's windows as the screen shows them, for reviewing
// their look under wine: taken only when VANTREL_PICTURES names a folder
// (scripts/screenshots sets it), as <folder>/winui-<name>.png.
#include "platform/WinUser.h"

void SaveWindowPicture(HWND window, const char* name);
