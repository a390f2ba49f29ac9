#pragma once
// The batches behind CAsyncSocket: datagrams taken off a socket in one call
// and handed out one by one, and datagrams queued to leave in one call.
#include <cstddef>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <vector>

constexpr int kDatagramBatch = 64;
// Every datagram is taken whole, whatever the length its reader accepts: the
// reader may accept longer ones by the time a datagram taken now is handed out.
constexpr int kDatagramSlot = 65536;

// Room for the control message that names a datagram's local address.
constexpr std::size_t kPacketInfoSpace = CMSG_SPACE(sizeof(in_pktinfo));

// Where a received message came in: the local address it was sent to, and
// the interface.
struct Arrival {
    in_addr local;
    unsigned interfaceIndex;
};
Arrival ArrivalOf(msghdr& message);
// Makes message leave from local, with control as the room for saying so;
// INADDR_ANY leaves the choice to the kernel and takes no room.
void LeaveFrom(msghdr& message, char (&control)[kPacketInfoSpace], in_addr local);

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
    // Waits for a datagram on fd, which must be a blocking socket with a
    // receive timeout, then takes it with those waiting behind it; false
    // when none came in time.
    bool WaitAndTake(int fd);
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
    mmsghdr m_headers[kDatagramBatch] = {};
    iovec m_vectors[kDatagramBatch] = {};
    sockaddr_in m_sources[kDatagramBatch] = {};
    alignas(cmsghdr) char m_controls[kDatagramBatch][kPacketInfoSpace] = {};
};

class SendQueue {
public:
    void Add(const void* bytes, int length, const sockaddr_in& to, in_addr local);
    bool Full() const { return m_count == kDatagramBatch; }
    // Sends what is queued, in order, and empties the queue.
    void Send(int fd);

private:
    std::vector<char> m_bytes; // the queued datagrams back to back; kept at its largest
    std::size_t m_used = 0;
    std::size_t m_offsets[kDatagramBatch] = {};
    int m_count = 0;
    mmsghdr m_headers[kDatagramBatch] = {};
    iovec m_vectors[kDatagramBatch] = {};
    sockaddr_in m_destinations[kDatagramBatch] = {};
    alignas(cmsghdr) char m_controls[kDatagramBatch][kPacketInfoSpace] = {};
};
