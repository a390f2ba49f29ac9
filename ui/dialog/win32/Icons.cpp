#include "ui/dialog/Icons.h"

#include "ui/dialog/win32/WindowSupport.h"

// The system keeps an icon loaded this way for the process.
HICON AfxLoadIcon(int iconId)
{
    return LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(iconId));
}
