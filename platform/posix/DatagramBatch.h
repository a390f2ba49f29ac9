#pragma once
// The batches behind CAsyncSocket: datagrams taken off a socket in one call
// and handed out one by one, and datagrams queued to leave in one call.
#include "platform/SocketAddress.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <vector>

constexpr int kDatagramBatch = 64;
// Every datagram is taken whole, whatever the length its reader accepts: the
// reader may accept longer ones by the time a datagram taken now is handed out.
constexpr int kDatagramSlot = 65536;

// Room for the control messages that name a datagram's local address: an
// IPv4 datagram on a socket of both families comes with both.
constexpr std::size_t kPacketInfoSpace = CMSG_SPACE(sizeof(in6_pktinfo)) + CMSG_SPACE(sizeof(in_pktinfo));

// Where a received message came in: the local address it was sent to (an
// IPv4 one mapped), and the interface.
struct Arrival {
    in6_addr local;
    unsigned interfaceIndex;
};
Arrival ArrivalOf(msghdr& message);

// How a socket of one family addresses peers and names the address its
// datagrams leave from.
class SocketFamily {
public:
    explicit SocketFamily(bool ipv6)
        : m_ipv6(ipv6)
    {
    }
    bool IPv6() const { return m_ipv6; }
    // Fills address with to's peer; its length, or 0 when this socket cannot
    // reach it (an IPv6 peer from an IPv4 socket).
    socklen_t Address(const Endpoint& to, sockaddr_in6* address) const;
    // Makes message leave from to's local address, with control as the room
    // for saying so; the kernel's choice takes no room.
    void LeaveFrom(msghdr& message, char (&control)[kPacketInfoSpace], const Endpoint& to) const;

private:
    bool m_ipv6;
};

class ReceivedBatch {
public:
    struct Datagram {
        const char* bytes;
        std::size_t length; // the datagram's real length, kept or not
        bool whole;         // false when the kernel cut it short
        const sockaddr* source;
        socklen_t sourceLength;
        Arrival arrival;
    };

    // Takes the datagrams waiting on fd, as many as a batch holds; false
    // when none was waiting or on an error.
    bool Take(int fd, int flags);
    // Waits up to wait for a datagram on fd, a blocking socket, then takes
    // it with those waiting behind it; false when none came in time. The
    // wait is the socket's receive timeout, set when it changes.
    bool WaitAndTake(int fd, std::chrono::microseconds wait);
    bool Empty() const { return m_next == m_count; }
    // How many datagrams Next has handed out so far.
    unsigned long long HandedOut() const { return m_handedOut; }
    // The oldest datagram not handed out yet; only when not Empty.
    Datagram Next();

private:
    void Layout();

    // Not filled with zeros: only the bytes the kernel writes are touched.
    std::unique_ptr<char[]> m_slots;
    int m_count = 0;
    int m_next = 0;
    unsigned long long m_handedOut = 0;
    std::chrono::microseconds m_wait{-1}; // the socket's receive timeout; -1: none set
    mmsghdr m_headers[kDatagramBatch] = {};
    iovec m_vectors[kDatagramBatch] = {};
    sockaddr_in6 m_sources[kDatagramBatch] = {}; // room for either family
    alignas(cmsghdr) char m_controls[kDatagramBatch][kPacketInfoSpace] = {};
};

class SendQueue {
public:
    explicit SendQueue(SocketFamily family)
        : m_family(family)
    {
    }
    // Queues a datagram for to; one this socket cannot reach is dropped.
    void Add(const void* bytes, int length, const Endpoint& to);
    bool Full() const { return m_count == kDatagramBatch; }
    // Sends what is queued, in order, and empties the queue.
    void Send(int fd);

private:
    SocketFamily m_family;
    std::vector<char> m_bytes; // the queued datagrams back to back; kept at its largest
    std::size_t m_used = 0;
    std::size_t m_offsets[kDatagramBatch] = {};
    int m_count = 0;
    mmsghdr m_headers[kDatagramBatch] = {};
    iovec m_vectors[kDatagramBatch] = {};
    sockaddr_in6 m_destinations[kDatagramBatch] = {}; // room for either family
    alignas(cmsghdr) char m_controls[kDatagramBatch][kPacketInfoSpace] = {};
};
