#pragma once
// The platform's own modal message box, behind AfxMessageBox: the text, the
// caption, the exclamation (warning) icon and one OK button. It returns when
// the user closes the box; meanwhile the thread's events go on being served.
#include <string>

int ShowModalBox(const std::string& text, const std::string& caption);
