#pragma once
// The real vantrel executable, started headless as a technician would start
// it on a machine without a display, and ended by a signal.
#include <QProcess>
#include <QTemporaryDir>

#include <string>

class VantrelProcess {
public:
    VantrelProcess();
    ~VantrelProcess();

    // Starts the program with the arguments, with neither WAYLAND_DISPLAY,
    // QT_QPA_PLATFORM nor XDG_RUNTIME_DIR set and DISPLAY set only when
    // display is given; false when it did not start.
    bool Start(const QStringList& arguments = {}, const QString& display = {});
    // Starts the program headless and waits until it serves port 69 and has
    // settled, so that what it holds then is its baseline; its process id,
    // or 0 when it did not come up.
    qint64 StartServing();
    // Sends signo and waits for the process to end; true when it ended by
    // itself with exit status 0.
    bool EndWith(int signo);
    // Waits for the process to end by itself; its exit status, or -1.
    int ExitStatus();
    bool IsRunning() const;
    // What it wrote on standard output and standard error so far.
    std::string Output() const;

private:
    QTemporaryDir m_outputDir;
    QProcess m_process;
};

// How many UDP sockets of this network namespace, of either family, are
// bound to port.
int CountUdpSocketsOnPort(int port);
// Waits until count sockets are bound to port; false after timeoutMs.
bool WaitForUdpSockets(int port, int count, int timeoutMs);
// Runs a client to its end, its output passed on; its exit code, or -1 when
// it did not finish within timeoutMs.
int RunClient(const QString& program, const QStringList& arguments, int timeoutMs = 60000);
