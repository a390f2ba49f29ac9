#include "ServiceHarness.h"

#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <arpa/inet.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

void PumpEvents(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

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

static std::string Word(std::uint16_t value)
{
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string RequestPacket(std::uint16_t opcode, const std::string& name, const std::string& mode)
{
    return Word(opcode) + name + std::string(1, '\0') + mode + std::string(1, '\0');
}

std::string DataPacket(std::uint16_t block, const std::string& data)
{
    return Word(3) + Word(block) + data;
}

std::string AckPacket(std::uint16_t block)
{
    return Word(4) + Word(block);
}

std::string ErrorPacket(std::uint16_t code, const std::string& message)
{
    return Word(5) + Word(code) + message + std::string(1, '\0');
}

static std::uint16_t WordAt(const std::string& packet, std::size_t position)
{
    if (packet.size() < position + 2)
        return 0xFFFF;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(packet[position]) << 8
                                      | static_cast<unsigned char>(packet[position + 1]));
}

std::uint16_t OpcodeOf(const std::string& packet)
{
    return WordAt(packet, 0);
}

std::uint16_t BlockOf(const std::string& packet)
{
    return WordAt(packet, 2);
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

Peer::Peer(unsigned short serverPort)
    : m_socket(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0))
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof local);
    m_server.sin_family = AF_INET;
    m_server.sin_port = htons(serverPort);
    m_server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
}

Peer::~Peer()
{
    close(m_socket);
}

void Peer::Send(const std::string& packet)
{
    sendto(m_socket, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&m_server), sizeof m_server);
}

std::optional<std::string> Peer::Receive(int timeoutMs)
{
    char buffer[2048];
    QDeadlineTimer deadline(timeoutMs);
    do {
        ssize_t n = recv(m_socket, buffer, sizeof buffer, 0);
        if (n >= 0)
            return std::string(buffer, static_cast<std::size_t>(n));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    } while (!deadline.hasExpired());
    return std::nullopt;
}

std::vector<std::string> Peer::Drain(int quietMs)
{
    PumpEvents(quietMs);
    std::vector<std::string> packets;
    while (auto packet = Receive(0))
        packets.push_back(*packet);
    return packets;
}

unsigned short Peer::Port() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

std::optional<std::string> Peer::Download(const std::string& name, std::vector<int>* lengths)
{
    Send(RequestPacket(1, name));
    std::string content;
    while (auto packet = Receive()) {
        if (OpcodeOf(*packet) != 3)
            return std::nullopt;
        if (lengths)
            lengths->push_back(static_cast<int>(packet->size()));
        content += packet->substr(4);
        Send(AckPacket(BlockOf(*packet)));
        if (packet->size() < 516) {
            PumpEvents(1);
            return content;
        }
    }
    return std::nullopt;
}

bool Peer::Upload(const std::string& name, const std::string& bytes)
{
    Send(RequestPacket(2, name));
    auto ack = Receive();
    if (!ack || *ack != AckPacket(0))
        return false;
    for (std::size_t block = 1, offset = 0;; ++block, offset += 512) {
        const std::string chunk = bytes.substr(offset, 512);
        Send(DataPacket(static_cast<std::uint16_t>(block), chunk));
        ack = Receive();
        if (!ack || *ack != AckPacket(static_cast<std::uint16_t>(block)))
            return false;
        if (chunk.size() < 512)
            return true;
    }
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
    for (const QString& name : QDir(QString::fromStdString(writeDir)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
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
