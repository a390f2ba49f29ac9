#include "platform/AsyncSocket.h"

#include <QSocketNotifier>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

CAsyncSocket::CAsyncSocket() = default;

CAsyncSocket::~CAsyncSocket()
{
    Close();
}

static bool BindIPv4(int fd, UINT port, LPCSTR address)
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (address && inet_pton(AF_INET, address, &local.sin_addr) != 1)
        return false;
    return bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

BOOL CAsyncSocket::Create(UINT port, int type, long events, LPCSTR address)
{
    if (m_socket >= 0 || type != SOCK_DGRAM || port > 0xFFFF)
        return FALSE;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return FALSE;
    if (!BindIPv4(fd, port, address)) {
        ::close(fd);
        return FALSE;
    }
    m_socket = fd;
    if (events & FD_READ) {
        m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
        QObject::connect(m_notifier, &QSocketNotifier::activated, [this] { OnReceive(0); });
    }
    return TRUE;
}

int CAsyncSocket::ReceiveFrom(void* buf, int len, sockaddr* from, socklen_t* fromLen, int flags)
{
    if (m_socket < 0 || len < 0)
        return -1;
    // MSG_TRUNC makes recvfrom report the datagram's real length, so one that
    // did not fit is recognised and dropped rather than handled cut short.
    ssize_t n = recvfrom(m_socket, buf, static_cast<size_t>(len), flags | MSG_TRUNC, from, fromLen);
    if (n < 0)
        return -1;
    if (n > len)
        return 0;
    return static_cast<int>(n);
}

int CAsyncSocket::SendTo(const void* buf, int len, const sockaddr* to, int toLen, int flags)
{
    if (m_socket < 0 || len < 0)
        return -1;
    return static_cast<int>(sendto(m_socket, buf, static_cast<size_t>(len), flags, to,
                                   static_cast<socklen_t>(toLen)));
}

void CAsyncSocket::Close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
}

unsigned short CAsyncSocket::GetLocalPort() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (m_socket < 0 || getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

void CAsyncSocket::OnReceive(int) {}
