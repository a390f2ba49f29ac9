#pragma once
// The window's system menu, to which a dialog appends entries of its own. A
// chosen entry goes to the dialog's OnSysCommand with its command id, as
// WM_SYSCOMMAND does.
#include "platform/WinUser.h"

#include <string>

class CDialog;

class CSystemMenu {
public:
    virtual ~CSystemMenu() = default;
    // MF_SEPARATOR appends a separator; MF_STRING an entry with id and text,
    // whose '&' marks the mnemonic letter. Non-zero on success.
    virtual BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const std::string& text = {}) = 0;
};

// The window's system menu, valid while the window exists; null when the
// window has no system menu (no WS_SYSMENU style).
CSystemMenu* GetSystemMenu(CDialog* window);
