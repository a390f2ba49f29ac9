#include "platform/AsyncSocket.h"

#include "platform/SocketAddress.h"

#include <cstring>
#include <mswsock.h>

// The socket and the hidden window that carries its notifications.
struct CAsyncSocket::Impl {
    explicit Impl(CAsyncSocket* owner)
        : owner(owner)
    {
    }

    static LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnNotification(LPARAM lParam);
    bool OthersKeptWaiting();
    void PauseNotifications();
    void ResumeNotifications();

    CAsyncSocket* owner;
    SOCKET socket = INVALID_SOCKET;
    bool ipv6 = false;     // an IPv6 socket, which sees IPv4 peers mapped when it serves both families
    bool ipv4Only = false; // without IPv6, which the system lacks
    HWND window = nullptr; // hidden; receives the socket's notifications
    bool paused = false;
    ULONGLONG othersWaitingSince = 0; // GetTickCount64's; 0 while none wait
};

namespace {

// The message the hidden window receives for the socket's events, as the
// framework's socket window does.
constexpr UINT kSocketNotify = WM_USER + 1;
const char* const kWindowClass = "VantrelSocketWindow";
// The hidden window's timer that ends a pause of the notifications.
constexpr UINT_PTR kResumeTimer = 1;
// How long the window's input, paint and timer messages may wait behind a
// stream of datagrams before the notifications pause for one timer period.
constexpr ULONGLONG kLongestWaitOfOthersMs = 10;
// Room for the control messages that name a datagram's local address: an
// IPv4 datagram on a socket of both families may come with both.
constexpr std::size_t kPacketInfoSpace = WSA_CMSG_SPACE(sizeof(IN6_PKTINFO)) + WSA_CMSG_SPACE(sizeof(IN_PKTINFO));

// A message-only window: never shown, it only carries the notifications into
// the thread's message loop, so they arrive among the window's own messages.
HWND CreateNotifyWindow(void* socket, WNDPROC windowProc)
{
    static const ATOM windowClass = [windowProc] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = windowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kWindowClass;
        return RegisterClassA(&wc);
    }();
    if (!windowClass)
        return nullptr;
    HWND window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    if (window)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(socket));
    return window;
}

// SO_EXCLUSIVEADDRUSE: no other socket, of this program or another, may bind
// the port while this one holds it. Without it Windows lets a socket that
// asks for SO_REUSEADDR take the port over.
// IP_PKTINFO and IPV6_PKTINFO: each datagram's local address comes with it,
// for the replies; an IPv4 datagram on a socket of both families brings
// IP_PKTINFO's.
// SIO_UDP_CONNRESET off: an ICMP "port unreachable" from a peer that has gone
// would otherwise fail the next receive, whoever's datagram it is.
bool PrepareSocket(SOCKET s, int family, bool bothFamilies)
{
    const DWORD on = 1;
    const DWORD v6only = bothFamilies ? 0 : 1;
    const auto set = [s](int level, int name, const DWORD& value) {
        return setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
    };
    BOOL reportResets = FALSE;
    DWORD returned = 0;
    const bool families = family == AF_INET6 ? set(IPPROTO_IPV6, IPV6_V6ONLY, v6only)
            && set(IPPROTO_IPV6, IPV6_PKTINFO, on) && (!bothFamilies || set(IPPROTO_IP, IP_PKTINFO, on))
                                             : set(IPPROTO_IP, IP_PKTINFO, on);
    return set(SOL_SOCKET, SO_EXCLUSIVEADDRUSE, on) && families
        && WSAIoctl(s, SIO_UDP_CONNRESET, &reportResets, sizeof reportResets, nullptr, 0, &returned, nullptr, nullptr)
        == 0;
}

// Binds s, of one family, to port on address (text of that family), or on
// every address of the family.
bool Bind(SOCKET s, bool ipv6, UINT port, LPCSTR address)
{
    const Endpoint wanted = EndpointAccess::FromText(address ? address : ipv6 ? "::" : "0.0.0.0", port);
    sockaddr_in6 local{};
    const int length = EndpointAccess::PeerFor(wanted, ipv6, &local);
    return length > 0 && bind(s, reinterpret_cast<const sockaddr*>(&local), length) == 0;
}

// A non-blocking socket bound to port on address, or on every address of its
// family; INVALID_SOCKET on failure, with WSAGetLastError saying why.
SOCKET BoundSocket(bool ipv6, UINT port, LPCSTR address, bool bothFamilies)
{
    const int family = ipv6 ? AF_INET6 : AF_INET;
    const SOCKET s = WSASocketA(family, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET)
        return s;
    u_long nonBlocking = 1;
    if (!PrepareSocket(s, family, bothFamilies) || !Bind(s, ipv6, port, address)
        || ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        const int error = WSAGetLastError();
        closesocket(s);
        WSASetLastError(error);
        return INVALID_SOCKET;
    }
    return s;
}

// Whether a failure to make an IPv6 socket says the system has no IPv6,
// rather than that the port is taken or not ours to bind.
bool WithoutIPv6(int error)
{
    return error == WSAEAFNOSUPPORT || error == WSAEPFNOSUPPORT || error == WSAEPROTONOSUPPORT
        || error == WSAEADDRNOTAVAIL;
}

// WSARecvMsg is reached through a pointer that the provider hands out.
LPFN_WSARECVMSG RecvMsgFunction(SOCKET s)
{
    static LPFN_WSARECVMSG function = nullptr;
    if (!function) {
        GUID id = WSAID_WSARECVMSG;
        DWORD returned = 0;
        WSAIoctl(s, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function, sizeof function, &returned, nullptr,
                 nullptr);
    }
    return function;
}

// Where a received message came in: the local address it was sent to (an
// IPv4 one mapped), and the interface; all zeros when not said.
struct Arrival {
    in6_addr local;
    unsigned interfaceIndex;
};

Arrival ArrivalOf(WSAMSG& message)
{
    Arrival arrival{};
    for (WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message); c; c = WSA_CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            IN_PKTINFO info;
            std::memcpy(&info, WSA_CMSG_DATA(c), sizeof info);
            return {MappedIPv4(info.ipi_addr), static_cast<unsigned>(info.ipi_ifindex)};
        }
        if (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_PKTINFO) {
            IN6_PKTINFO info;
            std::memcpy(&info, WSA_CMSG_DATA(c), sizeof info);
            arrival = {info.ipi6_addr, static_cast<unsigned>(info.ipi6_ifindex)};
        }
    }
    return arrival;
}

// Has message leave from to's local address, with control as the room for
// saying so: IP_PKTINFO for an IPv4 peer, on a socket of either family, and
// IPV6_PKTINFO for an IPv6 one.
void LeaveFrom(WSAMSG& message, char (&control)[kPacketInfoSpace], const Endpoint& to)
{
    std::memset(control, 0, sizeof control);
    message.Control.buf = control;
    auto* c = reinterpret_cast<WSACMSGHDR*>(control);
    const in6_addr local = EndpointAccess::Local(to);
    if (to.IsIPv4()) {
        IN_PKTINFO info{};
        info.ipi_addr = UnmappedIPv4(local);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = WSA_CMSG_LEN(sizeof info);
        std::memcpy(WSA_CMSG_DATA(c), &info, sizeof info);
        message.Control.len = WSA_CMSG_SPACE(sizeof info);
        return;
    }
    IN6_PKTINFO info{};
    info.ipi6_addr = local;
    info.ipi6_ifindex = to.InterfaceIndex();
    c->cmsg_level = IPPROTO_IPV6;
    c->cmsg_type = IPV6_PKTINFO;
    c->cmsg_len = WSA_CMSG_LEN(sizeof info);
    std::memcpy(WSA_CMSG_DATA(c), &info, sizeof info);
    message.Control.len = WSA_CMSG_SPACE(sizeof info);
}

// The stack's own choice of source address towards peer (an IPv4 one
// mapped), learnt from a throwaway socket of the peer's family that is
// connected, which sends nothing.
bool StackSourceFor(const Endpoint& peer, in6_addr* source)
{
    const bool ipv6 = !peer.IsIPv4();
    sockaddr_in6 address{};
    const int addressLength = EndpointAccess::PeerFor(peer, ipv6, &address);
    const SOCKET s = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return false;
    sockaddr_in6 chosen{};
    int length = sizeof chosen;
    const bool known = connect(s, reinterpret_cast<const sockaddr*>(&address), addressLength) == 0
        && getsockname(s, reinterpret_cast<sockaddr*>(&chosen), &length) == 0;
    closesocket(s);
    if (known && chosen.sin6_family == AF_INET)
        *source = MappedIPv4(reinterpret_cast<const sockaddr_in*>(&chosen)->sin_addr);
    else if (known)
        *source = chosen.sin6_addr;
    return known;
}

} // namespace

CAsyncSocket::CAsyncSocket()
    : m_impl(std::make_unique<Impl>(this))
{
}

CAsyncSocket::~CAsyncSocket()
{
    Close();
}

BOOL CAsyncSocket::Create(UINT port, int type, long events, LPCSTR address)
{
    Impl& impl = *m_impl;
    if (impl.socket != INVALID_SOCKET || type != SOCK_DGRAM || port > 0xFFFF)
        return FALSE;
    SOCKET s = INVALID_SOCKET;
    bool ipv6Socket = true;
    if (!address) {
        s = BoundSocket(true, port, nullptr, true);
        impl.ipv4Only = s == INVALID_SOCKET && WithoutIPv6(WSAGetLastError());
        ipv6Socket = !impl.ipv4Only;
        if (impl.ipv4Only)
            s = BoundSocket(false, port, nullptr, false);
    } else if (EndpointAccess::SocketFamilyOf(address, &ipv6Socket)) {
        s = BoundSocket(ipv6Socket, port, address, false);
    }
    if (s == INVALID_SOCKET)
        return FALSE;
    impl.socket = s;
    impl.ipv6 = ipv6Socket;
    if (events & FD_READ) {
        impl.window = CreateNotifyWindow(&impl, Impl::NotifyWindowProc);
        if (!impl.window || WSAAsyncSelect(s, impl.window, kSocketNotify, FD_READ) != 0) {
            Close();
            return FALSE;
        }
    }
    return TRUE;
}

bool CAsyncSocket::IPv4Only() const
{
    return m_impl->ipv4Only;
}

int CAsyncSocket::ReceiveFrom(void* buf, int len, Endpoint* from, int flags)
{
    const SOCKET s = m_impl->socket;
    LPFN_WSARECVMSG recvMsg = s == INVALID_SOCKET ? nullptr : RecvMsgFunction(s);
    if (!recvMsg || len < 0)
        return -1;
    sockaddr_in6 source{}; // room for either family
    WSABUF data{static_cast<ULONG>(len), static_cast<char*>(buf)};
    alignas(WSACMSGHDR) char control[kPacketInfoSpace];
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&source);
    message.namelen = sizeof source;
    message.lpBuffers = &data;
    message.dwBufferCount = 1;
    message.Control = {sizeof control, control};
    message.dwFlags = static_cast<DWORD>(flags);
    DWORD received = 0;
    // A datagram longer than the buffer fails with WSAEMSGSIZE and is gone:
    // it is reported as nothing usable, as on every platform.
    const bool whole = recvMsg(s, &message, &received, nullptr, nullptr) == 0;
    if (!whole && WSAGetLastError() != WSAEMSGSIZE)
        return -1;
    if (from) {
        const Arrival arrival = ArrivalOf(message);
        *from = EndpointAccess::From(message.name, message.namelen, arrival.local, arrival.interfaceIndex);
    }
    return whole ? static_cast<int>(received) : 0;
}

int CAsyncSocket::SendTo(const void* buf, int len, const Endpoint& to, int flags)
{
    const Impl& impl = *m_impl;
    sockaddr_in6 address{};
    const int addressLength = impl.socket == INVALID_SOCKET ? 0 : EndpointAccess::PeerFor(to, impl.ipv6, &address);
    if (addressLength == 0 || len < 0)
        return -1;
    const auto* peer = reinterpret_cast<const sockaddr*>(&address);
    const char* bytes = static_cast<const char*>(buf);
    if (EndpointAccess::KernelChoosesSource(to))
        return sendto(impl.socket, bytes, len, flags, peer, addressLength);
    WSABUF data{static_cast<ULONG>(len), const_cast<char*>(bytes)};
    alignas(WSACMSGHDR) char control[kPacketInfoSpace];
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&address);
    message.namelen = addressLength;
    message.lpBuffers = &data;
    message.dwBufferCount = 1;
    LeaveFrom(message, control, to);
    DWORD sent = 0;
    // Windows reports a datagram's local address without telling a broadcast
    // apart; a source the stack refuses is left to the stack to choose.
    if (WSASendMsg(impl.socket, &message, static_cast<DWORD>(flags), &sent, nullptr, nullptr) != 0)
        return sendto(impl.socket, bytes, len, flags, peer, addressLength);
    return static_cast<int>(sent);
}

// Windows Sockets has no call that sends several datagrams at once: a queued
// datagram leaves at once, so the queue is always empty.
void CAsyncSocket::QueueSendTo(const void* buf, int len, const Endpoint& to)
{
    SendTo(buf, len, to);
}

void CAsyncSocket::SendQueued()
{
}

// Nothing is ever taken off the socket ahead of OnReceive: a nested loop's
// messages include the socket's next notification by themselves.
void CAsyncSocket::RepostReceive()
{
}

Endpoint CAsyncSocket::ReplyEndpointFor(const Endpoint& from) const
{
    in6_addr chosen{};
    const in6_addr local = EndpointAccess::Local(from);
    if (StackSourceFor(from, &chosen) && std::memcmp(&chosen, &local, sizeof chosen) == 0)
        return from.WithKernelChosenSource();
    return from;
}

void CAsyncSocket::Close()
{
    Impl& impl = *m_impl;
    // The window goes first, and with it any notification still queued and
    // the timer of a pause.
    if (impl.window)
        DestroyWindow(impl.window);
    impl.window = nullptr;
    impl.paused = false;
    impl.othersWaitingSince = 0;
    if (impl.socket != INVALID_SOCKET)
        closesocket(impl.socket);
    impl.socket = INVALID_SOCKET;
}

unsigned short CAsyncSocket::GetLocalPort() const
{
    sockaddr_in6 local{};
    int length = sizeof local;
    if (m_impl->socket == INVALID_SOCKET
        || getsockname(m_impl->socket, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    // The port sits at the same place in both families' addresses.
    return ntohs(local.sin6_port);
}

LRESULT CALLBACK CAsyncSocket::Impl::NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* impl = reinterpret_cast<Impl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (impl && message == kSocketNotify)
        impl->OnNotification(lParam);
    else if (impl && message == WM_TIMER && wParam == kResumeTimer)
        impl->ResumeNotifications();
    else
        return DefWindowProcA(window, message, wParam, lParam);
    return 0;
}

// Each notification brings one datagram: Windows posts the next one while
// datagrams are waiting, so a reply queued for it leaves at once. One posted
// before a pause is left: the resumption posts its own.
void CAsyncSocket::Impl::OnNotification(LPARAM lParam)
{
    if (paused || WSAGETSELECTEVENT(lParam) != FD_READ)
        return;
    owner->OnReceive(WSAGETSELECTERROR(lParam));
    owner->OnBatchReceived();
    if (window && OthersKeptWaiting())
        PauseNotifications();
}

// Windows hands a thread its posted messages before its input, paint and
// timer messages, and the socket's next notification is posted as soon as
// one is handled: a stream of datagrams, a flood among them, would keep the
// window and the timers waiting for as long as it lasts.
bool CAsyncSocket::Impl::OthersKeptWaiting()
{
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT | QS_TIMER | QS_HOTKEY)) == 0) {
        othersWaitingSince = 0;
        return false;
    }
    const ULONGLONG now = GetTickCount64();
    if (othersWaitingSince == 0)
        othersWaitingSince = now;
    return now - othersWaitingSince >= kLongestWaitOfOthersMs;
}

// The datagrams wait on the socket meanwhile, and none is lost that the
// socket's buffer holds.
void CAsyncSocket::Impl::PauseNotifications()
{
    if (WSAAsyncSelect(socket, window, 0, 0) != 0 || !SetTimer(window, kResumeTimer, USER_TIMER_MINIMUM, nullptr)) {
        WSAAsyncSelect(socket, window, kSocketNotify, FD_READ);
        return;
    }
    paused = true;
    othersWaitingSince = 0;
}

// Asking for FD_READ again posts a notification at once if datagrams wait.
// Should that fail, the timer stays and the next period tries again.
void CAsyncSocket::Impl::ResumeNotifications()
{
    if (WSAAsyncSelect(socket, window, kSocketNotify, FD_READ) != 0)
        return;
    KillTimer(window, kResumeTimer);
    paused = false;
}

void CAsyncSocket::OnReceive(int)
{
}

void CAsyncSocket::OnBatchReceived()
{
}
