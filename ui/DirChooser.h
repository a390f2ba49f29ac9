#pragma once
// Lets the user pick a directory in a modal dialog: the folder browser, or
// the legacy directory dialog on old Windows or when the caller asks for it.
#include "platform/WinTypes.h"

#include <string>

class CDirChooser {
public:
    // path: the start on entry, the chosen directory on TRUE; untouched on
    // FALSE (cancelled). owner may be null. title is the browser's
    // instruction or the legacy dialog's caption.
    BOOL ChooseDirectory(std::string& path, HWND owner, BOOL forceLegacy, const std::string& title);
};
