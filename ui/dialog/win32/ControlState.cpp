#include "ui/dialog/ControlState.h"

#include "platform/win32/WideText.h"
#include "ui/dialog/win32/WindowSupport.h"

bool IsEditControl(HWND control)
{
    return HasWindowClass(control, "Edit");
}

std::string GetEditText(HWND edit)
{
    return WindowText(edit);
}

void SetEditText(HWND edit, const std::string& text)
{
    SetWindowTextW(edit, WidenForDisplay(text).c_str());
}

bool IsCheckBox(HWND control)
{
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    return HasWindowClass(control, "Button")
        && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE);
}

int GetCheck(HWND box)
{
    return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void SetCheck(HWND box, int state)
{
    SendMessageW(box, BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}
