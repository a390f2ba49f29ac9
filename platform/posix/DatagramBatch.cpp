#include "platform/posix/DatagramBatch.h"

#include <cerrno>
#include <cstring>

// An IPv4 datagram's IP_PKTINFO names the address of the interface it came
// to even when it was sent to a broadcast address, so it is preferred.
Arrival ArrivalOf(msghdr& message)
{
    Arrival arrival{};
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            return {MappedIPv4(info.ipi_spec_dst), static_cast<unsigned>(info.ipi_ifindex)};
        }
        if (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_PKTINFO) {
            in6_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            arrival = {info.ipi6_addr, info.ipi6_ifindex};
        }
    }
    return arrival;
}

socklen_t SocketFamily::Address(const Endpoint& to, sockaddr_in6* address) const
{
    return EndpointAccess::PeerFor(to, m_ipv6, address);
}

void SocketFamily::LeaveFrom(msghdr& message, char (&control)[kPacketInfoSpace], const Endpoint& to) const
{
    message.msg_control = nullptr;
    message.msg_controllen = 0;
    if (EndpointAccess::KernelChoosesSource(to))
        return;
    const in6_addr local = EndpointAccess::Local(to);
    std::memset(control, 0, sizeof control);
    message.msg_control = control;
    cmsghdr* c = reinterpret_cast<cmsghdr*>(control);
    if (m_ipv6) {
        // An IPv4 peer's mapped address is sent from a mapped one.
        in6_pktinfo info{};
        info.ipi6_addr = local;
        info.ipi6_ifindex = to.InterfaceIndex();
        c->cmsg_level = IPPROTO_IPV6;
        c->cmsg_type = IPV6_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof info);
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        message.msg_controllen = CMSG_SPACE(sizeof info);
        return;
    }
    in_pktinfo info{};
    info.ipi_spec_dst = UnmappedIPv4(local);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof info);
    std::memcpy(CMSG_DATA(c), &info, sizeof info);
    message.msg_controllen = CMSG_SPACE(sizeof info);
}

void ReceivedBatch::Layout()
{
    constexpr auto slot = static_cast<std::size_t>(kDatagramSlot);
    m_slots.reset(new char[kDatagramBatch * slot]);
    for (int i = 0; i < kDatagramBatch; ++i) {
        m_vectors[i] = {m_slots.get() + static_cast<std::size_t>(i) * slot, slot};
        msghdr& message = m_headers[i].msg_hdr;
        message.msg_name = &m_sources[i];
        message.msg_iov = &m_vectors[i];
        message.msg_iovlen = 1;
        message.msg_control = m_controls[i];
        message.msg_namelen = sizeof m_sources[i];
        message.msg_controllen = kPacketInfoSpace;
    }
    m_count = m_next = 0;
}

bool ReceivedBatch::WaitAndTake(int fd, std::chrono::microseconds wait)
{
    if (wait != m_wait) {
        const timeval timeout{static_cast<time_t>(wait.count() / 1000000),
                              static_cast<suseconds_t>(wait.count() % 1000000)};
        if (setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0)
            return false;
        m_wait = wait;
    }
    return Take(fd, MSG_WAITFORONE);
}

bool ReceivedBatch::Take(int fd, int flags)
{
    // The kernel changed these in the headers it filled in last time.
    for (int i = 0; i < m_count; ++i) {
        m_headers[i].msg_hdr.msg_namelen = sizeof m_sources[i];
        m_headers[i].msg_hdr.msg_controllen = kPacketInfoSpace;
    }
    if (!m_slots)
        Layout();
    m_next = 0;
    // MSG_TRUNC has each length reported whole, so a datagram that did not
    // fit its slot is recognised and dropped rather than handled cut short.
    const int taken = recvmmsg(fd, m_headers, kDatagramBatch, flags | MSG_TRUNC, nullptr);
    m_count = taken > 0 ? taken : 0;
    return taken > 0;
}

ReceivedBatch::Datagram ReceivedBatch::Next()
{
    const int i = m_next++;
    ++m_handedOut;
    msghdr& message = m_headers[i].msg_hdr;
    const std::size_t length = m_headers[i].msg_len;
    return {static_cast<const char*>(m_vectors[i].iov_base),
            length,
            !(message.msg_flags & MSG_TRUNC),
            static_cast<const sockaddr*>(message.msg_name),
            message.msg_namelen,
            ArrivalOf(message)};
}

void SendQueue::Add(const void* bytes, int length, const Endpoint& to)
{
    const socklen_t addressLength = m_family.Address(to, &m_destinations[m_count]);
    if (addressLength == 0)
        return;
    const std::size_t offset = m_used;
    m_used += static_cast<std::size_t>(length);
    if (m_bytes.size() < m_used)
        m_bytes.resize(m_used);
    std::memcpy(m_bytes.data() + offset, bytes, static_cast<std::size_t>(length));
    m_offsets[m_count] = offset;
    msghdr& message = m_headers[m_count].msg_hdr;
    message.msg_name = &m_destinations[m_count];
    message.msg_namelen = addressLength;
    message.msg_iov = &m_vectors[m_count];
    message.msg_iovlen = 1;
    m_vectors[m_count].iov_len = static_cast<std::size_t>(length);
    m_family.LeaveFrom(message, m_controls[m_count], to);
    ++m_count;
}

void SendQueue::Send(int fd)
{
    // The bytes may have moved while the queue grew; their places are final now.
    for (int i = 0; i < m_count; ++i)
        m_vectors[i].iov_base = m_bytes.data() + m_offsets[i];
    for (int done = 0; done < m_count;) {
        const int sent = sendmmsg(fd, m_headers + done, static_cast<unsigned>(m_count - done), MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR)
            continue;
        // A datagram the kernel refuses is dropped, and the rest go on.
        done += sent > 0 ? sent : 1;
    }
    m_count = 0;
    m_used = 0;
}
