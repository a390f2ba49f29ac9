#include "platform/ModalBox.h"

#include "platform/WinTypes.h"

// Without an owner, MB_TASKMODAL disables every window of the thread while
// the box is open, so the box is modal to the main window whether or not
// that window is active.
int ShowModalBox(const std::string& text, const std::string& caption)
{
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}
