#include "platform/WinTimer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <map>
#include <utility>

namespace {

using TimerKey = std::pair<HWND, UINT_PTR>;

// Timers are QObjects of the event loop; they are never destroyed from inside
// a callback of their own, but later, by the loop.
std::map<TimerKey, QTimer*>& Timers()
{
    static std::map<TimerKey, QTimer*> timers;
    return timers;
}

DWORD TickCount()
{
    static QElapsedTimer sinceStart = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<DWORD>(sinceStart.elapsed());
}

UINT_PTR FreeWindowlessId()
{
    static UINT_PTR last = 0;
    do {
        ++last;
    } while (last == 0 || Timers().count({nullptr, last}));
    return last;
}

} // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR idEvent, UINT elapseMs, TIMERPROC proc)
{
    if (!proc)
        return 0;
    UINT_PTR id = window ? idEvent : FreeWindowlessId();
    KillTimer(window, id);
    auto* timer = new QTimer;
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, [window, id, proc] { proc(window, WM_TIMER, id, TickCount()); });
    timer->start(static_cast<int>(elapseMs));
    Timers()[{window, id}] = timer;
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    auto found = Timers().find({window, id});
    if (found == Timers().end())
        return FALSE;
    found->second->stop();
    found->second->deleteLater();
    Timers().erase(found);
    return TRUE;
}
