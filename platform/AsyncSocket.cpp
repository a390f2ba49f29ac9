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
    // Each datagram's local address comes with it, for the replies to leave from.
    const int on = 1;
    if (setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 || !BindIPv4(fd, port, address)) {
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

static in_addr LocalAddressOf(msghdr& message)
{
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c))
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO)
            return reinterpret_cast<const in_pktinfo*>(CMSG_DATA(c))->ipi_spec_dst;
    return in_addr{htonl(INADDR_ANY)};
}

int CAsyncSocket::ReceiveFrom(void* buf, int len, sockaddr* from, socklen_t* fromLen, int flags, in_addr* local)
{
    if (m_socket < 0 || len < 0)
        return -1;
    iovec data{buf, static_cast<size_t>(len)};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = from;
    message.msg_namelen = fromLen ? *fromLen : 0;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    // MSG_TRUNC makes recvmsg report the datagram's real length, so one that
    // did not fit is recognised and dropped rather than handled cut short.
    ssize_t n = recvmsg(m_socket, &message, flags | MSG_TRUNC);
    if (n < 0)
        return -1;
    if (fromLen)
        *fromLen = message.msg_namelen;
    if (local)
        *local = LocalAddressOf(message);
    if (n > len)
        return 0;
    return static_cast<int>(n);
}

int CAsyncSocket::SendTo(const void* buf, int len, const sockaddr* to, int toLen, int flags, in_addr local)
{
    if (m_socket < 0 || len < 0)
        return -1;
    iovec data{const_cast<void*>(buf), static_cast<size_t>(len)};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))]{};
    msghdr message{};
    message.msg_name = const_cast<sockaddr*>(to);
    message.msg_namelen = static_cast<socklen_t>(toLen);
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    if (local.s_addr != htonl(INADDR_ANY)) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        reinterpret_cast<in_pktinfo*>(CMSG_DATA(c))->ipi_spec_dst = local;
    }
    return static_cast<int>(sendmsg(m_socket, &message, flags));
}

// The kernel's own choice of source address towards peer, learnt from a
// throwaway socket that is connected, which sends nothing.
static bool KernelSourceFor(const sockaddr_in& peer, in_addr* source)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in chosen{};
    socklen_t length = sizeof chosen;
    const bool known = connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0
        && getsockname(fd, reinterpret_cast<sockaddr*>(&chosen), &length) == 0;
    ::close(fd);
    *source = chosen.sin_addr;
    return known;
}

in_addr CAsyncSocket::SourceToName(const sockaddr_in& peer, in_addr local) const
{
    in_addr chosen{};
    if (KernelSourceFor(peer, &chosen) && chosen.s_addr == local.s_addr)
        return in_addr{htonl(INADDR_ANY)};
    return local;
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

void CAsyncSocket::OnReceive(int)
{
}
