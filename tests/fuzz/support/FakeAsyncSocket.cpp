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
    Endpoint source;
};

std::optional<QueuedDatagram>& Queued()
{
    static std::optional<QueuedDatagram> queued;
    return queued;
}

SendObserver g_observer = nullptr;

} // namespace

void QueueDatagram(const std::uint8_t* bytes, std::size_t length, const Endpoint& source)
{
    Queued() = QueuedDatagram{std::string(reinterpret_cast<const char*>(bytes), length), source};
}

void SetSendObserver(SendObserver observer)
{
    g_observer = observer;
}

struct CAsyncSocket::Impl {
    bool open = false;
};

CAsyncSocket::CAsyncSocket()
    : m_impl(std::make_unique<Impl>())
{
}

CAsyncSocket::~CAsyncSocket()
{
    Close();
}

BOOL CAsyncSocket::Create(UINT port, int type, long, LPCSTR)
{
    if (m_impl->open || type != SOCK_DGRAM || port > 0xFFFF)
        return FALSE;
    m_impl->open = true;
    return TRUE;
}

bool CAsyncSocket::IPv4Only() const
{
    return false;
}

// As the real layer does: one datagram per call, one too long dropped whole.
// The datagram arrives on an interface whose MTU is unknown: blocks as large
// as Ethernet carries.
int CAsyncSocket::ReceiveFrom(void* buf, int len, Endpoint* from, int)
{
    if (!m_impl->open || len < 0 || !Queued())
        return -1;
    const QueuedDatagram datagram = *Queued();
    Queued().reset();
    if (from)
        *from = datagram.source;
    if (datagram.bytes.size() > static_cast<std::size_t>(len))
        return 0;
    std::memcpy(buf, datagram.bytes.data(), datagram.bytes.size());
    return static_cast<int>(datagram.bytes.size());
}

int CAsyncSocket::SendTo(const void* buf, int len, const Endpoint& to, int)
{
    if (!m_impl->open || len < 0)
        return -1;
    SentDatagram sent;
    sent.bytes.assign(static_cast<const char*>(buf), static_cast<std::size_t>(len));
    sent.to = to;
    if (g_observer)
        g_observer(sent);
    return len;
}

void CAsyncSocket::RepostReceive()
{
}

void CAsyncSocket::QueueSendTo(const void* buf, int len, const Endpoint& to)
{
    SendTo(buf, len, to);
}

void CAsyncSocket::SendQueued()
{
}

Endpoint CAsyncSocket::ReplyEndpointFor(const Endpoint& from) const
{
    return from;
}

void CAsyncSocket::Close()
{
    m_impl->open = false;
}

unsigned short CAsyncSocket::GetLocalPort() const
{
    return m_impl->open ? 69 : 0;
}

void CAsyncSocket::OnReceive(int)
{
}

void CAsyncSocket::OnBatchReceived()
{
}
