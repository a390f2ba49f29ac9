#include "platform/posix/DatagramBatch.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>

Arrival ArrivalOf(msghdr& message)
{
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            const auto* info = reinterpret_cast<const in_pktinfo*>(CMSG_DATA(c));
            return {info->ipi_spec_dst, static_cast<unsigned>(info->ipi_ifindex)};
        }
    }
    return {in_addr{htonl(INADDR_ANY)}, 0};
}

void LeaveFrom(msghdr& message, char (&control)[kPacketInfoSpace], in_addr local)
{
    message.msg_control = nullptr;
    message.msg_controllen = 0;
    if (local.s_addr == htonl(INADDR_ANY))
        return;
    std::memset(control, 0, sizeof control);
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = IPPROTO_IP;
    c->cmsg_type = IP_PKTINFO;
    c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    reinterpret_cast<in_pktinfo*>(CMSG_DATA(c))->ipi_spec_dst = local;
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

bool ReceivedBatch::WaitAndTake(int fd)
{
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

void SendQueue::Add(const void* bytes, int length, const sockaddr_in& to, in_addr local)
{
    const std::size_t offset = m_used;
    m_used += static_cast<std::size_t>(length);
    if (m_bytes.size() < m_used)
        m_bytes.resize(m_used);
    std::memcpy(m_bytes.data() + offset, bytes, static_cast<std::size_t>(length));
    m_offsets[m_count] = offset;
    m_destinations[m_count] = to;
    msghdr& message = m_headers[m_count].msg_hdr;
    message.msg_name = &m_destinations[m_count];
    message.msg_namelen = sizeof to;
    message.msg_iov = &m_vectors[m_count];
    message.msg_iovlen = 1;
    m_vectors[m_count].iov_len = static_cast<std::size_t>(length);
    LeaveFrom(message, m_controls[m_count], local);
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
