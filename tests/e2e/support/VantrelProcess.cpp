#include "VantrelProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <csignal>

namespace {

constexpr int kStartMs = 30000;
constexpr int kEndMs = 30000;
constexpr int kClientMs = 60000;

QProcessEnvironment HeadlessEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    return environment;
}

} // namespace

VantrelProcess::VantrelProcess()
{
    m_process.setProgram(VANTREL_BINARY_DIR "/ui/vantrel");
    m_process.setProcessEnvironment(HeadlessEnvironment());
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
}

VantrelProcess::~VantrelProcess()
{
    if (IsRunning()) {
        m_process.kill();
        m_process.waitForFinished(kEndMs);
    }
}

bool VantrelProcess::Start()
{
    m_process.start();
    return m_process.waitForStarted(kStartMs);
}

bool VantrelProcess::EndWith(int signo)
{
    if (!IsRunning())
        return false;
    ::kill(static_cast<pid_t>(m_process.processId()), signo);
    return m_process.waitForFinished(kEndMs) && m_process.exitStatus() == QProcess::NormalExit &&
           m_process.exitCode() == 0;
}

bool VantrelProcess::IsRunning() const
{
    return m_process.state() == QProcess::Running;
}

int CountUdpSocketsOnPort(int port)
{
    QFile table("/proc/net/udp");
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    const QString wanted = QStringLiteral(":%1").arg(port, 4, 16, QLatin1Char('0')).toUpper();
    int count = 0;
    table.readLine(); // the header
    while (!table.atEnd()) {
        const QList<QByteArray> fields = table.readLine().simplified().split(' ');
        if (fields.size() > 1 && fields[1].endsWith(wanted.toLatin1()))
            ++count;
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

int RunClient(const QString& program, const QStringList& arguments)
{
    QProcess client;
    client.setProcessChannelMode(QProcess::ForwardedChannels);
    client.start(program, arguments);
    if (!client.waitForFinished(kClientMs)) {
        client.kill();
        client.waitForFinished();
        return -1;
    }
    return client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1;
}
