#include "platform/AsyncSocket.h"

#include "platform/posix/DatagramBatch.h"

#include <QEvent>
#include <QSocketNotifier>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <utility>

struct CAsyncSocket::Batches {
    ReceivedBatch received;
    SendQueue queued;
    bool reposted = false;            // a call of DispatchReceived is posted to the loop
    int notificationsWithoutWait = 0; // left after a wait that found nothing
};

namespace {

// How long a notification's handler waits for a peer's next datagram after
// its replies have left, and how long in all it stays before the event loop
// has its turn again.
constexpr timeval kWaitForNext = {0, 1000};
constexpr auto kLongestStay = std::chrono::milliseconds(10);
// Notifications handled without waiting after a wait that found nothing: a
// peer that answers slowly costs a wasted wait now and then, not every time.
constexpr int kNotificationsWithoutWait = 16;

// Calls back straight from its event: the signal and slot that QSocketNotifier
// would go through cost about as much as handling an acknowledgement.
class ReadNotifier : public QSocketNotifier {
public:
    ReadNotifier(int fd, std::function<void()> ready)
        : QSocketNotifier(fd, QSocketNotifier::Read),
          m_ready(std::move(ready))
    {
    }

    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::SockAct)
            return QSocketNotifier::event(e);
        m_ready();
        return true;
    }

private:
    std::function<void()> m_ready;
};

} // namespace

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
    // A blocking socket, so that the handler can wait a moment for a peer's
    // next datagram; every other call says MSG_DONTWAIT.
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return FALSE;
    // Each datagram's local address comes with it, for the replies to leave from.
    const int on = 1;
    if (setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0
        || setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &kWaitForNext, sizeof kWaitForNext) != 0
        || !BindIPv4(fd, port, address)) {
        ::close(fd);
        return FALSE;
    }
    m_socket = fd;
    m_batches = std::make_unique<Batches>();
    if (events & FD_READ)
        m_notifier = new ReadNotifier(fd, [this] { DispatchReceived(); });
    return TRUE;
}

int CAsyncSocket::ReceiveFrom(void* buf, int len, sockaddr* from, socklen_t* fromLen, int flags, in_addr* local,
                              unsigned* interfaceIndex)
{
    if (m_socket < 0 || len < 0
        || (!HasReceivedDatagrams() && !m_batches->received.Take(m_socket, flags | MSG_DONTWAIT)))
        return -1;
    const ReceivedBatch::Datagram datagram = m_batches->received.Next();
    if (from && fromLen) {
        std::memcpy(from, datagram.source, std::min(*fromLen, datagram.sourceLength));
        *fromLen = datagram.sourceLength;
    }
    if (local)
        *local = datagram.arrival.local;
    if (interfaceIndex)
        *interfaceIndex = datagram.arrival.interfaceIndex;
    if (!datagram.whole || datagram.length > static_cast<std::size_t>(len))
        return 0;
    std::memcpy(buf, datagram.bytes, datagram.length);
    return static_cast<int>(datagram.length);
}

bool CAsyncSocket::HasReceivedDatagrams() const
{
    return m_batches && !m_batches->received.Empty();
}

// An OnReceive that takes nothing ends the batch, rather than being called
// for ever; what it left waits for the next notification.
void CAsyncSocket::DispatchBatch()
{
    unsigned long long handedOut;
    do {
        handedOut = m_batches ? m_batches->received.HandedOut() : 0;
        OnReceive(0);
    } while (HasReceivedDatagrams() && m_batches->received.HandedOut() != handedOut);
    OnBatchReceived();
}

// A peer in lock step answers within microseconds of a reply: its next
// datagram is taken here, which spares the event loop's wake-up for it. The
// wait is short and the stay bounded, so the window and the timer wait at
// most a few milliseconds.
void CAsyncSocket::DispatchReceived()
{
    const auto leave = std::chrono::steady_clock::now() + kLongestStay;
    DispatchBatch();
    while (m_socket >= 0 && !HasReceivedDatagrams() && std::chrono::steady_clock::now() < leave) {
        if (m_batches->notificationsWithoutWait > 0) {
            --m_batches->notificationsWithoutWait;
            return;
        }
        if (!m_batches->received.WaitAndTake(m_socket)) {
            m_batches->notificationsWithoutWait = kNotificationsWithoutWait;
            return;
        }
        DispatchBatch();
    }
}

void CAsyncSocket::RepostReceive()
{
    if (!m_notifier || !HasReceivedDatagrams() || m_batches->reposted)
        return;
    m_batches->reposted = true;
    // Posted to the notifier, so that it goes with the notifier if the socket closes first.
    QMetaObject::invokeMethod(
        m_notifier,
        [this] {
            m_batches->reposted = false;
            if (HasReceivedDatagrams())
                DispatchReceived();
        },
        Qt::QueuedConnection);
}

int CAsyncSocket::SendTo(const void* buf, int len, const sockaddr* to, int toLen, int flags, in_addr local)
{
    if (m_socket < 0 || len < 0)
        return -1;
    iovec data{const_cast<void*>(buf), static_cast<size_t>(len)};
    alignas(cmsghdr) char control[kPacketInfoSpace];
    msghdr message{};
    message.msg_name = const_cast<sockaddr*>(to);
    message.msg_namelen = static_cast<socklen_t>(toLen);
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    LeaveFrom(message, control, local);
    return static_cast<int>(sendmsg(m_socket, &message, flags | MSG_DONTWAIT));
}

void CAsyncSocket::QueueSendTo(const void* buf, int len, const sockaddr_in& to, in_addr local)
{
    if (m_socket < 0 || len < 0)
        return;
    m_batches->queued.Add(buf, len, to, local);
    if (m_batches->queued.Full())
        SendQueued();
}

void CAsyncSocket::SendQueued()
{
    if (m_socket >= 0)
        m_batches->queued.Send(m_socket);
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
    m_batches.reset();
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

void CAsyncSocket::OnBatchReceived()
{
}
