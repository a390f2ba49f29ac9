// The real box on USER32: the program's name as caption, the text, the
// exclamation icon and one OK button; it belongs to the main window, which is
// disabled while it is open, and timers go on being served.
#include "platform/MessageBox.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct SeenBox {
    std::string text;
    int buttons = 0;
    bool exclamation = false;
    bool mainWindowDisabled = false;
    HWND owner = nullptr;
};

SeenBox g_seen;
HWND g_mainWindow = nullptr;

std::string TextOf(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK NoteControl(HWND control, LPARAM)
{
    char kind[32] = "";
    GetClassNameA(control, kind, sizeof kind);
    const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
    if (lstrcmpiA(kind, "Button") == 0)
        ++g_seen.buttons;
    else if ((style & SS_TYPEMASK) == SS_ICON)
        g_seen.exclamation = SendMessageA(control, STM_GETICON, 0, 0)
            == reinterpret_cast<LRESULT>(LoadIconA(nullptr, IDI_EXCLAMATION));
    else if (!TextOf(control).empty())
        g_seen.text = TextOf(control);
    return TRUE;
}

// Runs from the box's own loop: looks at the box, then presses OK.
void CALLBACK LookAtBoxAndClose(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = FindWindowA("#32770", "vantrel");
    if (!box)
        return;
    KillTimer(nullptr, id);
    EnumChildWindows(box, NoteControl, 0);
    g_seen.mainWindowDisabled = !IsWindowEnabled(g_mainWindow);
    g_seen.owner = GetWindow(box, GW_OWNER);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST(MessageBox, RealBoxIsOwnedByTheMainWindowWithTheExclamationIconAndOneOkButton)
{
    AfxSetAppName("vantrel");
    g_mainWindow = CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(g_mainWindow, nullptr);
    ASSERT_NE(SetTimer(nullptr, 0, 50, LookAtBoxAndClose), 0u);

    EXPECT_EQ(AfxMessageBox("Received Error #1 for x"), IDOK);
    EXPECT_EQ(g_seen.text, "Received Error #1 for x");
    EXPECT_EQ(g_seen.buttons, 1);
    EXPECT_TRUE(g_seen.exclamation);
    EXPECT_TRUE(g_seen.mainWindowDisabled);
    EXPECT_EQ(g_seen.owner, g_mainWindow) << "its own task bar button otherwise, and it could fall behind";
    EXPECT_TRUE(IsWindowEnabled(g_mainWindow)) << "enabled again once the box is closed";
    DestroyWindow(g_mainWindow);
}
