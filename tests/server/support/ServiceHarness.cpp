#include "ServiceHarness.h"

#include "platform/MessageBox.h"

#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

int RunProgram(const QString& program, const QStringList& arguments, int timeoutMs, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    const bool finished = process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit;
    if (!finished) {
        process.kill();
        process.waitForFinished(2000);
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.error() != QProcess::FailedToStart ? process.exitCode() : -1;
}

void RunSetup(const QString& program, const QStringList& arguments)
{
    QString output;
    ASSERT_EQ(RunProgram(program, arguments, 10000, &output), 0)
        << program.toStdString() << " " << arguments.join(' ').toStdString() << ": " << output.toStdString();
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

SoftLimit::SoftLimit(int resource, rlim_t limit)
    : m_resource(resource)
{
    getrlimit(resource, &m_saved);
    rlimit lowered = m_saved;
    lowered.rlim_cur = limit;
    setrlimit(resource, &lowered);
}

SoftLimit::~SoftLimit()
{
    setrlimit(m_resource, &m_saved);
}

StandardErrorCapture::StandardErrorCapture()
    : m_saved(dup(STDERR_FILENO))
{
    m_file.open();
    dup2(m_file.handle(), STDERR_FILENO);
}

StandardErrorCapture::~StandardErrorCapture()
{
    dup2(m_saved, STDERR_FILENO);
    close(m_saved);
}

std::vector<std::string> StandardErrorCapture::Lines() const
{
    std::istringstream text(ReadWholeFile(m_file.fileName().toStdString()));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

ServiceHarness::ServiceHarness(UINT servicePort, bool realTimer)
    : server(servicePort)
{
    for (const char* name : {"search0", "search1", "write"})
        QDir(root.path()).mkdir(name);
    searchDirs = {SearchDir(0), SearchDir(1)};
    writeDir = root.filePath("write").toStdString();
    g_statusLine = &status;
    AfxSetMessageBoxSeam([this](const std::string& text, const std::string&) {
        boxes.push_back(text);
        return IDOK;
    });
    server.Start(&enableWrite, &writeDir, &searchDirs);
    if (!realTimer)
        g_server = nullptr;
    port = server.GetLocalPort();
}

ServiceHarness::~ServiceHarness()
{
    AfxSetMessageBoxSeam(nullptr);
    g_statusLine = nullptr;
}

std::string ServiceHarness::SearchDir(int index) const
{
    return root.filePath(QString("search%1").arg(index)).toStdString();
}

std::string ServiceHarness::WritePath(const std::string& name) const
{
    return writeDir + "/" + name;
}

std::vector<std::string> ServiceHarness::WriteDirEntries() const
{
    std::vector<std::string> names;
    for (const QString& name :
         QDir(QString::fromStdString(writeDir))
             .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

void ServiceHarness::PutFile(int searchIndex, const std::string& name, const std::string& bytes)
{
    WriteWholeFile(SearchDir(searchIndex) + "/" + name, bytes);
}

int ServiceHarness::TableSize() const
{
    int size = 0;
    for (CTransfer* t = server.Head(); t; t = t->next)
        ++size;
    return size;
}

std::vector<std::unique_ptr<Peer>> ServiceHarness::StartReadTransfers(int count)
{
    PutFile(0, "f", std::string(2000, 'f'));
    std::vector<std::unique_ptr<Peer>> peers;
    for (int i = 0; i < count; ++i) {
        peers.push_back(std::make_unique<Peer>(port));
        peers.back()->Send(RequestPacket(1, "f"));
        EXPECT_TRUE(peers.back()->Receive()) << "first block for peer " << i;
    }
    return peers;
}
