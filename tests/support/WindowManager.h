#pragma once
// The window tests run twice: on Qt's offscreen platform, where nothing
// frames a window and a window's frame is its client area, and on a display
// with a window manager (scripts/in-xsession), which frames, places and
// activates windows in its own time.
#include <gtest/gtest.h>

#include <functional>

class QWidget;

// Whether a window manager frames the windows here.
bool WindowsAreFramed();

// A case about frames would pass on the offscreen platform whatever the
// code did with them, so there it is skipped.
#define SKIP_UNLESS_WINDOWS_ARE_FRAMED()                                                                               \
    if (!WindowsAreFramed())                                                                                           \
    GTEST_SKIP() << "no window manager frames windows here"

// Lets events run until the condition holds; FALSE if it does not within
// five seconds.
bool WaitUntil(const std::function<bool()>& condition);

// Lets events run until the window is shown, framed where windows are
// framed, and active: what a user sees once a window has opened.
bool WaitUntilOpened(QWidget* window);
