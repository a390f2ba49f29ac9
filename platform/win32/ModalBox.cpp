#include "platform/ModalBox.h"

#include "platform/WinTypes.h"
#include "platform/win32/WideText.h"

namespace {

// The thread's main window: its first visible top-level window that no other
// window owns. The windows of the socket and of the session are hidden.
BOOL CALLBACK FindMainWindow(HWND window, LPARAM found)
{
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// As the framework does: the box belongs to the main window, or to the
// window that the main window last brought up over itself (the About box, a
// chooser), so that it stays in front of them and shares their task bar
// button.
HWND OwnerOfBox()
{
    HWND mainWindow = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMainWindow, reinterpret_cast<LPARAM>(&mainWindow));
    return mainWindow ? GetLastActivePopup(mainWindow) : nullptr;
}

} // namespace

// With an owner, the box disables it while open. Before the main window
// exists, MB_TASKMODAL disables every window of the thread instead.
int ShowModalBox(const std::string& text, const std::string& caption)
{
    const HWND owner = OwnerOfBox();
    const UINT modality = owner ? MB_APPLMODAL : MB_TASKMODAL;
    return MessageBoxW(owner, WidenForDisplay(text).c_str(), WidenForDisplay(caption).c_str(),
                       MB_OK | MB_ICONEXCLAMATION | modality);
}
