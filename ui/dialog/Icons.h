#pragma once
// Icons of the program's resources, by id, in the manner of the Microsoft
// Foundation Classes' (MFC) CWinApp::LoadIcon.
#include "platform/WinUser.h"

// The icon resource with this id at the system's icon size, loaded once and
// kept for the process; null when there is none.
HICON AfxLoadIcon(int iconId);
