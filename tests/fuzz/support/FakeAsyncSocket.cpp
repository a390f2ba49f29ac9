// A socket layer without a socket: ReceiveFrom takes the datagram the driver
// queued, SendTo and QueueSendTo hand each datagram to the driver's observer
// at once. Linked in place of platform/AsyncSocket.cpp, so the service runs
// unchanged and fast.
#include "platform/AsyncSocket.h"
#include "tests/fuzz/support/DatagramFeed.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

struct QueuedDatagram {
    std::string bytes;
    sockaddr_in source{};
};

std::optional<QueuedDatagram>& Queued()
{
    static std::optional<QueuedDatagram> queued;
    return queued;
}

SendObserver g_observer = nullptr;

} // namespace

void QueueDatagram(const std::uint8_t* bytes, std::size_t length, const sockaddr_in& source)
{
    Queued() = QueuedDatagram{std::string(reinterpret_cast<const char*>(bytes), length), source};
}

void SetSendObserver(SendObserver observer)
{
    g_observer = observer;
}

struct CAsyncSocket::Batches { };

CAsyncSocket::CAsyncSocket() = default;

CAsyncSocket::~CAsyncSocket()
{
    Close();
}

BOOL CAsyncSocket::Create(UINT port, int type, long, LPCSTR)
{
    if (m_socket >= 0 || type != SOCK_DGRAM || port > 0xFFFF)
        return FALSE;
    m_socket = 0;
    return TRUE;
}

// As the real layer does: one datagram per call, one too long dropped whole.
int CAsyncSocket::ReceiveFrom(void* buf, int len, sockaddr* from, socklen_t* fromLen, int, in_addr* local,
                              unsigned* interfaceIndex)
{
    if (m_socket < 0 || len < 0 || !Queued())
        return -1;
    const QueuedDatagram datagram = *Queued();
    Queued().reset();
    if (from && fromLen) {
        const socklen_t copied = std::min<socklen_t>(*fromLen, sizeof datagram.source);
        std::memcpy(from, &datagram.source, copied);
        *fromLen = sizeof datagram.source;
    }
    if (local)
        *local = in_addr{htonl(INADDR_LOOPBACK)};
    // An interface whose MTU is unknown: blocks as large as Ethernet carries.
    if (interfaceIndex)
        *interfaceIndex = 0;
    if (datagram.bytes.size() > static_cast<std::size_t>(len))
        return 0;
    std::memcpy(buf, datagram.bytes.data(), datagram.bytes.size());
    return static_cast<int>(datagram.bytes.size());
}

int CAsyncSocket::SendTo(const void* buf, int len, const sockaddr* to, int toLen, int, in_addr)
{
    if (m_socket < 0 || len < 0 || toLen != static_cast<int>(sizeof(sockaddr_in)))
        return -1;
    SentDatagram sent;
    sent.bytes.assign(static_cast<const char*>(buf), static_cast<std::size_t>(len));
    std::memcpy(&sent.to, to, sizeof sent.to);
    if (g_observer)
        g_observer(sent);
    return len;
}

bool CAsyncSocket::HasReceivedDatagrams() const
{
    return false;
}

void CAsyncSocket::RepostReceive()
{
}

void CAsyncSocket::QueueSendTo(const void* buf, int len, const sockaddr_in& to, in_addr local)
{
    SendTo(buf, len, reinterpret_cast<const sockaddr*>(&to), sizeof to, 0, local);
}

void CAsyncSocket::SendQueued()
{
}

in_addr CAsyncSocket::SourceToName(const sockaddr_in&, in_addr local) const
{
    return local;
}

void CAsyncSocket::Close()
{
    m_socket = -1;
}

unsigned short CAsyncSocket::GetLocalPort() const
{
    return m_socket < 0 ? 0 : 69;
}

void CAsyncSocket::OnReceive(int)
{
}

void CAsyncSocket::OnBatchReceived()
{
}
