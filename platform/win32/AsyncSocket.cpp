#include "platform/AsyncSocket.h"

#include <mswsock.h>

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

// A message-only window: never shown, it only carries the notifications into
// the thread's message loop, so they arrive among the window's own messages.
HWND CreateNotifyWindow(CAsyncSocket* socket, WNDPROC windowProc)
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

bool BindIPv4(SOCKET s, UINT port, LPCSTR address)
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<u_short>(port));
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (address && inet_pton(AF_INET, address, &local.sin_addr) != 1)
        return false;
    return bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

// SO_EXCLUSIVEADDRUSE: no other socket, of this program or another, may bind
// the port while this one holds it. Without it Windows lets a socket that
// asks for SO_REUSEADDR take the port over.
// IP_PKTINFO: each datagram's local address comes with it, for the replies.
// SIO_UDP_CONNRESET off: an ICMP "port unreachable" from a peer that has gone
// would otherwise fail the next receive, whoever's datagram it is.
bool PrepareSocket(SOCKET s)
{
    const DWORD on = 1;
    BOOL reportResets = FALSE;
    DWORD returned = 0;
    return setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on) == 0
        && setsockopt(s, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on), sizeof on) == 0
        && WSAIoctl(s, SIO_UDP_CONNRESET, &reportResets, sizeof reportResets, nullptr, 0, &returned, nullptr, nullptr)
        == 0;
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

// The local address the message was sent to, and the interface it came in through.
const IN_PKTINFO* PacketInfoOf(WSAMSG& message)
{
    for (WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message); c; c = WSA_CMSG_NXTHDR(&message, c))
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO)
            return reinterpret_cast<const IN_PKTINFO*>(WSA_CMSG_DATA(c));
    return nullptr;
}

} // namespace

CAsyncSocket::CAsyncSocket() = default;

CAsyncSocket::~CAsyncSocket()
{
    Close();
}

BOOL CAsyncSocket::Create(UINT port, int type, long events, LPCSTR address)
{
    if (m_socket != INVALID_SOCKET || type != SOCK_DGRAM || port > 0xFFFF)
        return FALSE;
    SOCKET s = WSASocketA(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET)
        return FALSE;
    u_long nonBlocking = 1;
    if (!PrepareSocket(s) || !BindIPv4(s, port, address) || ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return FALSE;
    }
    m_socket = s;
    if (events & FD_READ) {
        m_window = CreateNotifyWindow(this, NotifyWindowProc);
        if (!m_window || WSAAsyncSelect(s, m_window, kSocketNotify, FD_READ) != 0) {
            Close();
            return FALSE;
        }
    }
    return TRUE;
}

int CAsyncSocket::ReceiveFrom(void* buf, int len, sockaddr* from, socklen_t* fromLen, int flags, in_addr* local,
                              unsigned* interfaceIndex)
{
    LPFN_WSARECVMSG recvMsg = m_socket == INVALID_SOCKET ? nullptr : RecvMsgFunction(m_socket);
    if (!recvMsg || len < 0)
        return -1;
    WSABUF data{static_cast<ULONG>(len), static_cast<char*>(buf)};
    char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))];
    WSAMSG message{};
    message.name = from;
    message.namelen = fromLen ? *fromLen : 0;
    message.lpBuffers = &data;
    message.dwBufferCount = 1;
    message.Control = {sizeof control, control};
    message.dwFlags = static_cast<DWORD>(flags);
    DWORD received = 0;
    // A datagram longer than the buffer fails with WSAEMSGSIZE and is gone:
    // it is reported as nothing usable, as on every platform.
    if (recvMsg(m_socket, &message, &received, nullptr, nullptr) != 0)
        return WSAGetLastError() == WSAEMSGSIZE ? 0 : -1;
    if (fromLen)
        *fromLen = message.namelen;
    const IN_PKTINFO* info = PacketInfoOf(message);
    if (local) {
        local->s_addr = htonl(INADDR_ANY);
        if (info)
            *local = info->ipi_addr;
    }
    if (interfaceIndex)
        *interfaceIndex = info ? static_cast<unsigned>(info->ipi_ifindex) : 0;
    return static_cast<int>(received);
}

int CAsyncSocket::SendTo(const void* buf, int len, const sockaddr* to, int toLen, int flags, in_addr local)
{
    if (m_socket == INVALID_SOCKET || len < 0)
        return -1;
    if (local.s_addr == htonl(INADDR_ANY))
        return sendto(m_socket, static_cast<const char*>(buf), len, flags, to, toLen);
    WSABUF data{static_cast<ULONG>(len), const_cast<char*>(static_cast<const char*>(buf))};
    char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))]{};
    WSAMSG message{};
    message.name = const_cast<sockaddr*>(to);
    message.namelen = toLen;
    message.lpBuffers = &data;
    message.dwBufferCount = 1;
    message.Control = {sizeof control, control};
    WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = WSA_CMSG_LEN(sizeof(IN_PKTINFO));
    reinterpret_cast<IN_PKTINFO*>(WSA_CMSG_DATA(c))->ipi_addr = local;
    DWORD sent = 0;
    // Windows reports a datagram's local address without telling a broadcast
    // apart; a source the stack refuses is left to the stack to choose.
    if (WSASendMsg(m_socket, &message, static_cast<DWORD>(flags), &sent, nullptr, nullptr) != 0)
        return sendto(m_socket, static_cast<const char*>(buf), len, flags, to, toLen);
    return static_cast<int>(sent);
}

// Windows Sockets has no call that sends several datagrams at once: a queued
// datagram leaves at once, so the queue is always empty.
void CAsyncSocket::QueueSendTo(const void* buf, int len, const sockaddr_in& to, in_addr local)
{
    SendTo(buf, len, reinterpret_cast<const sockaddr*>(&to), sizeof to, 0, local);
}

void CAsyncSocket::SendQueued()
{
}

// Nothing is ever taken off the socket ahead of OnReceive: a nested loop's
// messages include the socket's next notification by themselves.
void CAsyncSocket::RepostReceive()
{
}

// The stack's own choice of source address towards peer, learnt from a
// throwaway socket that is connected, which sends nothing.
static bool StackSourceFor(const sockaddr_in& peer, in_addr* source)
{
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return false;
    sockaddr_in chosen{};
    int length = sizeof chosen;
    const bool known = connect(s, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0
        && getsockname(s, reinterpret_cast<sockaddr*>(&chosen), &length) == 0;
    closesocket(s);
    *source = chosen.sin_addr;
    return known;
}

in_addr CAsyncSocket::SourceToName(const sockaddr_in& peer, in_addr local) const
{
    in_addr chosen{};
    if (StackSourceFor(peer, &chosen) && chosen.s_addr == local.s_addr) {
        chosen.s_addr = htonl(INADDR_ANY);
        return chosen;
    }
    return local;
}

void CAsyncSocket::Close()
{
    // The window goes first, and with it any notification still queued and
    // the timer of a pause.
    if (m_window)
        DestroyWindow(m_window);
    m_window = nullptr;
    m_paused = false;
    m_othersWaitingSince = 0;
    if (m_socket != INVALID_SOCKET)
        closesocket(m_socket);
    m_socket = INVALID_SOCKET;
}

unsigned short CAsyncSocket::GetLocalPort() const
{
    sockaddr_in local{};
    int length = sizeof local;
    if (m_socket == INVALID_SOCKET || getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

LRESULT CALLBACK CAsyncSocket::NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* socket = reinterpret_cast<CAsyncSocket*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (socket && message == kSocketNotify)
        socket->OnNotification(lParam);
    else if (socket && message == WM_TIMER && wParam == kResumeTimer)
        socket->ResumeNotifications();
    else
        return DefWindowProcA(window, message, wParam, lParam);
    return 0;
}

// Each notification brings one datagram: Windows posts the next one while
// datagrams are waiting, so a reply queued for it leaves at once. One posted
// before a pause is left: the resumption posts its own.
void CAsyncSocket::OnNotification(LPARAM lParam)
{
    if (m_paused || WSAGETSELECTEVENT(lParam) != FD_READ)
        return;
    OnReceive(WSAGETSELECTERROR(lParam));
    OnBatchReceived();
    if (m_window && OthersKeptWaiting())
        PauseNotifications();
}

// Windows hands a thread its posted messages before its input, paint and
// timer messages, and the socket's next notification is posted as soon as
// one is handled: a stream of datagrams, a flood among them, would keep the
// window and the timers waiting for as long as it lasts.
bool CAsyncSocket::OthersKeptWaiting()
{
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT | QS_TIMER | QS_HOTKEY)) == 0) {
        m_othersWaitingSince = 0;
        return false;
    }
    const ULONGLONG now = GetTickCount64();
    if (m_othersWaitingSince == 0)
        m_othersWaitingSince = now;
    return now - m_othersWaitingSince >= kLongestWaitOfOthersMs;
}

// The datagrams wait on the socket meanwhile, and none is lost that the
// socket's buffer holds.
void CAsyncSocket::PauseNotifications()
{
    if (WSAAsyncSelect(m_socket, m_window, 0, 0) != 0
        || !SetTimer(m_window, kResumeTimer, USER_TIMER_MINIMUM, nullptr)) {
        WSAAsyncSelect(m_socket, m_window, kSocketNotify, FD_READ);
        return;
    }
    m_paused = true;
    m_othersWaitingSince = 0;
}

// Asking for FD_READ again posts a notification at once if datagrams wait.
// Should that fail, the timer stays and the next period tries again.
void CAsyncSocket::ResumeNotifications()
{
    if (WSAAsyncSelect(m_socket, m_window, kSocketNotify, FD_READ) != 0)
        return;
    KillTimer(m_window, kResumeTimer);
    m_paused = false;
}

void CAsyncSocket::OnReceive(int)
{
}

void CAsyncSocket::OnBatchReceived()
{
}
