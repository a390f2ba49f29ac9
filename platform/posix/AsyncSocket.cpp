#include "platform/AsyncSocket.h"

#include "platform/SocketAddress.h"
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

namespace {

// How long a notification's handler waits for a peer's next datagram after
// its replies have left, and how long in all it stays before the event loop
// has its turn again.
constexpr auto kWaitForNext = std::chrono::microseconds(1000);
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

// The socket and its batches. The batches live while the socket is open.
struct CAsyncSocket::Impl {
    explicit Impl(CAsyncSocket* owner)
        : owner(owner)
    {
    }

    // Datagrams taken off the socket that ReceiveFrom has not handed out yet.
    bool HasReceivedDatagrams() const { return batches && !batches->received.Empty(); }
    void DispatchReceived();
    void DispatchBatch();

    struct Batches {
        explicit Batches(SocketFamily family)
            : queued(family)
        {
        }
        ReceivedBatch received;
        SendQueue queued;
        bool reposted = false;            // a call of DispatchReceived is posted to the loop
        int notificationsWithoutWait = 0; // left after a wait that found nothing
    };

    CAsyncSocket* owner;
    int fd = -1;
    bool ipv6 = false;     // an IPv6 socket, which sees IPv4 peers mapped when it serves both families
    bool ipv4Only = false; // without IPv6, which the system lacks
    QSocketNotifier* notifier = nullptr;
    std::unique_ptr<Batches> batches;
};

CAsyncSocket::CAsyncSocket()
    : m_impl(std::make_unique<Impl>(this))
{
}

CAsyncSocket::~CAsyncSocket()
{
    Close();
}

namespace {

// A socket of one family bound to port on address (text of that family), or
// on every address of the family; -1 on failure, with errno saying why. An
// IPv6 socket may take IPv4 datagrams too.
int BoundSocket(bool ipv6, UINT port, LPCSTR address, bool bothFamilies)
{
    const Endpoint wanted = EndpointAccess::FromText(address ? address : ipv6 ? "::" : "0.0.0.0", port);
    sockaddr_in6 local{};
    const socklen_t localLength = EndpointAccess::PeerFor(wanted, ipv6, &local);
    // A blocking socket, so that the handler can wait a moment for a peer's
    // next datagram; every other call says MSG_DONTWAIT.
    const int fd = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    const int v6only = bothFamilies ? 0 : 1;
    // Each datagram's local address comes with it, for the replies to leave
    // from: IP_PKTINFO for IPv4 datagrams, on either family's socket.
    const bool ready = ipv6 ? setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &v6only, sizeof v6only) == 0
            && setsockopt(fd, IPPROTO_IPV6, IPV6_RECVPKTINFO, &on, sizeof on) == 0
            && (!bothFamilies || setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) == 0)
                            : setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) == 0;
    if (!ready || localLength == 0 || bind(fd, reinterpret_cast<const sockaddr*>(&local), localLength) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// Whether a failure to make an IPv6 socket says the system has no IPv6,
// rather than that the port is taken or not ours to bind.
bool WithoutIPv6(int error)
{
    return error == EAFNOSUPPORT || error == EPROTONOSUPPORT || error == EADDRNOTAVAIL;
}

} // namespace

BOOL CAsyncSocket::Create(UINT port, int type, long events, LPCSTR address)
{
    if (m_impl->fd >= 0 || type != SOCK_DGRAM || port > 0xFFFF)
        return FALSE;
    int fd = -1;
    bool ipv6Socket = true;
    if (!address) {
        fd = BoundSocket(true, port, nullptr, true);
        m_impl->ipv4Only = fd < 0 && WithoutIPv6(errno);
        ipv6Socket = !m_impl->ipv4Only;
        if (m_impl->ipv4Only)
            fd = BoundSocket(false, port, nullptr, false);
    } else if (EndpointAccess::SocketFamilyOf(address, &ipv6Socket)) {
        fd = BoundSocket(ipv6Socket, port, address, false);
    }
    if (fd < 0)
        return FALSE;
    m_impl->fd = fd;
    m_impl->ipv6 = ipv6Socket;
    m_impl->batches = std::make_unique<Impl::Batches>(SocketFamily(ipv6Socket));
    if (events & FD_READ)
        m_impl->notifier = new ReadNotifier(fd, [impl = m_impl.get()] { impl->DispatchReceived(); });
    return TRUE;
}

bool CAsyncSocket::IPv4Only() const
{
    return m_impl->ipv4Only;
}

int CAsyncSocket::ReceiveFrom(void* buf, int len, Endpoint* from, int flags)
{
    Impl& impl = *m_impl;
    if (impl.fd < 0 || len < 0
        || (!impl.HasReceivedDatagrams() && !impl.batches->received.Take(impl.fd, flags | MSG_DONTWAIT)))
        return -1;
    const ReceivedBatch::Datagram datagram = impl.batches->received.Next();
    if (from)
        *from = EndpointAccess::From(datagram.source, datagram.sourceLength, datagram.arrival.local,
                                     datagram.arrival.interfaceIndex);
    if (!datagram.whole || datagram.length > static_cast<std::size_t>(len))
        return 0;
    std::memcpy(buf, datagram.bytes, datagram.length);
    return static_cast<int>(datagram.length);
}

// An OnReceive that takes nothing ends the batch, rather than being called
// for ever; what it left waits for the next notification.
void CAsyncSocket::Impl::DispatchBatch()
{
    unsigned long long handedOut;
    do {
        handedOut = batches ? batches->received.HandedOut() : 0;
        owner->OnReceive(0);
    } while (HasReceivedDatagrams() && batches->received.HandedOut() != handedOut);
    owner->OnBatchReceived();
}

// A peer in lock step answers within microseconds of a reply: its next
// datagram is taken here, which spares the event loop's wake-up for it. The
// wait is short and the stay bounded, so the window and the
// timer wait at most a few milliseconds.
void CAsyncSocket::Impl::DispatchReceived()
{
    const auto leave = std::chrono::steady_clock::now() + kLongestStay;
    DispatchBatch();
    while (fd >= 0 && !HasReceivedDatagrams() && std::chrono::steady_clock::now() < leave) {
        if (batches->notificationsWithoutWait > 0) {
            --batches->notificationsWithoutWait;
            return;
        }
        if (!batches->received.WaitAndTake(fd, kWaitForNext)) {
            batches->notificationsWithoutWait = kNotificationsWithoutWait;
            return;
        }
        DispatchBatch();
    }
}

void CAsyncSocket::RepostReceive()
{
    Impl& impl = *m_impl;
    if (!impl.notifier || !impl.HasReceivedDatagrams() || impl.batches->reposted)
        return;
    impl.batches->reposted = true;
    // Posted to the notifier, so that it goes with the notifier if the socket closes first.
    QMetaObject::invokeMethod(
        impl.notifier,
        [&impl] {
            impl.batches->reposted = false;
            if (impl.HasReceivedDatagrams())
                impl.DispatchReceived();
        },
        Qt::QueuedConnection);
}

int CAsyncSocket::SendTo(const void* buf, int len, const Endpoint& to, int flags)
{
    const Impl& impl = *m_impl;
    if (impl.fd < 0 || len < 0)
        return -1;
    const SocketFamily family(impl.ipv6);
    sockaddr_in6 address{};
    const socklen_t addressLength = family.Address(to, &address);
    if (addressLength == 0)
        return -1;
    iovec data{const_cast<void*>(buf), static_cast<size_t>(len)};
    alignas(cmsghdr) char control[kPacketInfoSpace];
    msghdr message{};
    message.msg_name = &address;
    message.msg_namelen = addressLength;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    family.LeaveFrom(message, control, to);
    return static_cast<int>(sendmsg(impl.fd, &message, flags | MSG_DONTWAIT));
}

void CAsyncSocket::QueueSendTo(const void* buf, int len, const Endpoint& to)
{
    if (m_impl->fd < 0 || len < 0)
        return;
    m_impl->batches->queued.Add(buf, len, to);
    if (m_impl->batches->queued.Full())
        SendQueued();
}

void CAsyncSocket::SendQueued()
{
    if (m_impl->fd >= 0)
        m_impl->batches->queued.Send(m_impl->fd);
}

// The kernel's own choice of source address towards peer (IPv4 ones mapped),
// learnt from a throwaway socket of the family given that is connected,
// which sends nothing.
static bool KernelSourceFor(const Endpoint& peer, bool ipv6, in6_addr* source)
{
    const SocketFamily family(ipv6);
    sockaddr_in6 address{};
    const socklen_t addressLength = family.Address(peer, &address);
    const int fd = addressLength ? socket(ipv6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0) : -1;
    if (fd < 0)
        return false;
    sockaddr_in6 chosen{};
    socklen_t length = sizeof chosen;
    const bool known = connect(fd, reinterpret_cast<const sockaddr*>(&address), addressLength) == 0
        && getsockname(fd, reinterpret_cast<sockaddr*>(&chosen), &length) == 0;
    ::close(fd);
    if (known && chosen.sin6_family == AF_INET)
        *source = MappedIPv4(reinterpret_cast<const sockaddr_in*>(&chosen)->sin_addr);
    else if (known)
        *source = chosen.sin6_addr;
    return known;
}

Endpoint CAsyncSocket::ReplyEndpointFor(const Endpoint& from) const
{
    in6_addr chosen{};
    const in6_addr local = EndpointAccess::Local(from);
    if (KernelSourceFor(from, m_impl->ipv6, &chosen) && std::memcmp(&chosen, &local, sizeof chosen) == 0)
        return from.WithKernelChosenSource();
    return from;
}

void CAsyncSocket::Close()
{
    Impl& impl = *m_impl;
    delete impl.notifier;
    impl.notifier = nullptr;
    if (impl.fd >= 0)
        ::close(impl.fd);
    impl.fd = -1;
    impl.batches.reset();
}

unsigned short CAsyncSocket::GetLocalPort() const
{
    sockaddr_in6 local{};
    socklen_t length = sizeof local;
    if (m_impl->fd < 0 || getsockname(m_impl->fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    // The port sits at the same place in both families' addresses.
    return ntohs(local.sin6_port);
}

void CAsyncSocket::OnReceive(int)
{
}

void CAsyncSocket::OnBatchReceived()
{
}
