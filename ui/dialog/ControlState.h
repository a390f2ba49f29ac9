#pragma once
// What data exchange reads and sets on a control, by handle: the text of an
// edit control and the state of a check box.
#include "platform/WinUser.h"

#include <string>

bool IsEditControl(HWND control);
std::string GetEditText(HWND edit);
// As Windows shows a text put into an edit control: from its first character.
void SetEditText(HWND edit, const std::string& text);

bool IsCheckBox(HWND control);
// 0 unticked, 1 ticked.
int GetCheck(HWND box);
void SetCheck(HWND box, int state);
