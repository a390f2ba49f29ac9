// Windowless timers: ids chosen here, the callback's arguments, and killing a
// timer, from inside its own callback too.
#include "platform/WinTimer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>
#include <map>

namespace {

std::map<UINT_PTR, int> g_calls;
UINT g_message = 0;
HWND g_window = reinterpret_cast<HWND>(1);

void CountingProc(HWND window, UINT message, UINT_PTR id, DWORD)
{
    ++g_calls[id];
    g_message = message;
    g_window = window;
}

void SelfKillingProc(HWND window, UINT, UINT_PTR id, DWORD)
{
    ++g_calls[id];
    KillTimer(window, id);
}

void Pump(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

TEST(WinTimer, WindowlessTimersGetDistinctIdsAndCallBack)
{
    g_calls.clear();
    const UINT_PTR a = SetTimer(nullptr, 1, 20, CountingProc);
    const UINT_PTR b = SetTimer(nullptr, 1, 20, CountingProc);
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    Pump(150);
    EXPECT_GE(g_calls[a], 3);
    EXPECT_GE(g_calls[b], 3);
    EXPECT_EQ(g_message, WM_TIMER);
    EXPECT_EQ(g_window, nullptr);

    EXPECT_TRUE(KillTimer(nullptr, a));
    EXPECT_FALSE(KillTimer(nullptr, a));
    const int callsOfA = g_calls[a];
    Pump(80);
    EXPECT_EQ(g_calls[a], callsOfA);
    EXPECT_GT(g_calls[b], callsOfA - 1);
    EXPECT_TRUE(KillTimer(nullptr, b));
    EXPECT_EQ(SetTimer(nullptr, 1, 20, nullptr), 0u);
}

TEST(WinTimer, TimerMayKillItselfInItsCallback)
{
    g_calls.clear();
    const UINT_PTR id = SetTimer(nullptr, 0, 10, SelfKillingProc);
    Pump(100);
    EXPECT_EQ(g_calls[id], 1);
    EXPECT_FALSE(KillTimer(nullptr, id));
}
