#include "platform/SessionSignals.h"

#include "platform/WinTypes.h"

namespace {

constexpr char kWindowClass[] = "VantrelSession";

std::function<void()>& OnEnd()
{
    static std::function<void()> onEnd;
    return onEnd;
}

// Windows tells every top-level window that the session ends, and may end
// the process as soon as the last one has returned from WM_ENDSESSION: the
// call runs before this one returns.
LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENDSESSION && wParam && OnEnd()) {
        const std::function<void()> onEnd = OnEnd();
        onEnd();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden top-level window, since a message-only window hears of no session
// end.
void CreateSessionWindow()
{
    static bool created = false;
    if (created)
        return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SessionWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    created
        = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr)
        != nullptr;
}

} // namespace

void InstallSessionSignals(std::function<void()> onEnd)
{
    OnEnd() = std::move(onEnd);
    CreateSessionWindow();
}
