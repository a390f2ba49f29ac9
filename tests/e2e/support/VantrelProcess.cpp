#include "VantrelProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>

namespace {

constexpr int kStartMs = 30000;
constexpr int kEndMs = 30000;

// Without XDG_RUNTIME_DIR, as a service manager or sudo starts it.
QProcessEnvironment DisplayEnvironment(const QString& display)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("XDG_RUNTIME_DIR");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    if (!display.isEmpty())
        environment.insert("DISPLAY", display);
    return environment;
}

} // namespace

VantrelProcess::VantrelProcess()
{
    m_process.setProgram(VANTREL_BINARY_DIR "/ui/vantrel");
    // A file, not a pipe: a pipe that no one reads while clients run would
    // stall the program once full.
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(m_outputDir.filePath("output"));
}

VantrelProcess::~VantrelProcess()
{
    if (IsRunning()) {
        m_process.kill();
        m_process.waitForFinished(kEndMs);
    }
}

bool VantrelProcess::Start(const QStringList& arguments, const QString& display)
{
    m_process.setArguments(arguments);
    m_process.setProcessEnvironment(DisplayEnvironment(display));
    m_process.start();
    return m_process.waitForStarted(kStartMs);
}

qint64 VantrelProcess::StartServing()
{
    if (!Start() || !WaitForUdpSockets(69, 1, kStartMs))
        return 0;
    QThread::msleep(500);
    return m_process.processId();
}

bool VantrelProcess::EndWith(int signo)
{
    if (!IsRunning())
        return false;
    ::kill(static_cast<pid_t>(m_process.processId()), signo);
    return m_process.waitForFinished(kEndMs) && m_process.exitStatus() == QProcess::NormalExit
        && m_process.exitCode() == 0;
}

int VantrelProcess::ExitStatus()
{
    if (IsRunning() && !m_process.waitForFinished(kEndMs))
        return -1;
    if (m_process.exitStatus() != QProcess::NormalExit)
        return -1;
    return m_process.exitCode();
}

std::string VantrelProcess::Output() const
{
    QFile output(m_outputDir.filePath("output"));
    return output.open(QIODevice::ReadOnly) ? output.readAll().toStdString() : std::string();
}

bool VantrelProcess::IsRunning() const
{
    return m_process.state() == QProcess::Running;
}

int CountUdpSocketsOnPort(int port)
{
    const QString wanted = QStringLiteral(":%1").arg(port, 4, 16, QLatin1Char('0')).toUpper();
    int count = 0;
    for (const char* path : {"/proc/net/udp", "/proc/net/udp6"}) {
        QFile table(path);
        if (!table.open(QIODevice::ReadOnly))
            continue;
        table.readLine(); // the header
        while (!table.atEnd()) {
            const QList<QByteArray> fields = table.readLine().simplified().split(' ');
            if (fields.size() > 1 && fields[1].endsWith(wanted.toLatin1()))
                ++count;
        }
    }
    return count;
}

bool WaitForUdpSockets(int port, int count, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (CountUdpSocketsOnPort(port) != count) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

int RunClient(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess client;
    client.setProcessChannelMode(QProcess::ForwardedChannels);
    client.start(program, arguments);
    if (!client.waitForFinished(timeoutMs)) {
        client.kill();
        client.waitForFinished();
        return -1;
    }
    return client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
}
