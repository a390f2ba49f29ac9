#include "platform/SessionSignals.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSessionSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler may do next to nothing: it writes one byte into a pipe,
// and the event loop, woken by the read end, does the real work.
int g_pipe[2] = {-1, -1};
std::function<void()> g_onEnd;
QPointer<QSocketNotifier> g_notifier;

void WriteSignalByte(int signo)
{
    const int saved = errno;
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void OnPipeReadable()
{
    char bytes[64];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) { }
    // A copy, so that onEnd may replace itself.
    const std::function<void()> onEnd = g_onEnd;
    if (onEnd)
        onEnd();
}

bool OpenPipe()
{
    if (g_pipe[0] >= 0)
        return true;
    return ::pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) == 0;
}

void WatchPipe()
{
    if (g_notifier)
        return;
    // Owned by the application object, so it goes before the event dispatcher.
    g_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(g_notifier, &QSocketNotifier::activated, [] { OnPipeReadable(); });
}

void CatchSessionSignals()
{
    struct sigaction action { };
    action.sa_handler = WriteSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : kSessionSignals)
        ::sigaction(signo, &action, nullptr);
}

} // namespace

void InstallSessionSignals(std::function<void()> onEnd)
{
    g_onEnd = std::move(onEnd);
    if (!OpenPipe())
        return;
    WatchPipe();
    CatchSessionSignals();
}
