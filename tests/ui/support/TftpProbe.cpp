#include "TftpProbe.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 5000;
constexpr std::size_t kBlock = 512;

std::string Number16(int value)
{
    return {static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

int ReadNumber16(const std::string& packet, std::size_t at)
{
    return (static_cast<unsigned char>(packet[at]) << 8) | static_cast<unsigned char>(packet[at + 1]);
}

} // namespace

TftpProbe::TftpProbe(unsigned short serverPort)
{
    m_socket = ::socket(AF_INET, SOCK_DGRAM, 0);
    m_server.sin_family = AF_INET;
    m_server.sin_port = htons(serverPort);
    m_server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
}

TftpProbe::~TftpProbe()
{
    ::close(m_socket);
}

std::optional<std::string> TftpProbe::Get(const std::string& name)
{
    SendRequest(1, name);
    std::string bytes;
    for (int expected = 1;; ++expected) {
        const std::optional<std::string> reply = Receive();
        if (BlockOf(reply, 3) != (expected & 0xFFFF))
            return std::nullopt;
        bytes += reply->substr(4);
        Send(Number16(4) + Number16(expected));
        if (reply->size() - 4 < kBlock)
            return bytes;
    }
}

int TftpProbe::Put(const std::string& name, const std::string& bytes)
{
    SendRequest(2, name);
    for (std::size_t block = 0;; ++block) {
        const std::optional<std::string> reply = Receive();
        if (BlockOf(reply, 4) != static_cast<int>(block & 0xFFFF))
            return reply ? m_lastError : -1;
        const std::size_t sent = block * kBlock;
        if (block > 0 && (bytes.size() - (sent - kBlock)) < kBlock)
            return 0;
        Send(Number16(3) + Number16(static_cast<int>(block + 1)) + bytes.substr(std::min(sent, bytes.size()), kBlock));
    }
}

void TftpProbe::SendRequest(int opcode, const std::string& name)
{
    m_lastError = 0;
    Send(Number16(opcode) + name + '\0' + "octet" + '\0');
}

void TftpProbe::Send(const std::string& packet)
{
    ::sendto(m_socket, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&m_server),
             sizeof m_server);
}

std::optional<std::string> TftpProbe::Receive()
{
    QElapsedTimer clock;
    clock.start();
    char buffer[1024];
    while (clock.elapsed() < kWaitMs) {
        QCoreApplication::processEvents();
        const ssize_t n = ::recv(m_socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n >= 4)
            return std::string(buffer, static_cast<std::size_t>(n));
        pollfd wait{m_socket, POLLIN, 0};
        ::poll(&wait, 1, 2);
    }
    return std::nullopt;
}

int TftpProbe::BlockOf(const std::optional<std::string>& reply, int opcode)
{
    if (!reply)
        return -1;
    const int replyOpcode = ReadNumber16(*reply, 0);
    if (replyOpcode == 5)
        m_lastError = ReadNumber16(*reply, 2);
    return replyOpcode == opcode ? ReadNumber16(*reply, 2) : -1;
}
