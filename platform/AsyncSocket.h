#pragma once
// A non-blocking UDP socket whose "a datagram is waiting" notifications
// arrive as OnReceive calls on the UI thread, in the manner of the Microsoft
// Foundation Classes' (MFC) CAsyncSocket. One socket serves IPv4 and IPv6
// peers alike where the system has IPv6.
#include "platform/Endpoint.h"
#include "platform/WinTypes.h"

#include <memory>

#ifdef _WIN32
// Create's two names from Windows Sockets 2, so that the service's code
// needs none of the socket headers; defined token for token as <winsock2.h>
// defines them, so that a file that includes it too sees the same macros.
#define SOCK_DGRAM 2
#define FD_READ_BIT 0
#define FD_READ (1 << FD_READ_BIT)
#else
constexpr long FD_READ = 0x01;
#endif

class CAsyncSocket {
public:
#ifndef _WIN32
    // A datagram socket, as the system's headers number it.
    static constexpr int SOCK_DGRAM = 2;
#endif

    CAsyncSocket();
    virtual ~CAsyncSocket();
    CAsyncSocket(const CAsyncSocket&) = delete;
    CAsyncSocket& operator=(const CAsyncSocket&) = delete;

    // Without an address, binds the port on every local address of both
    // families (of IPv4 alone where the system has no IPv6); with one (IPv4
    // or IPv6 text), on that address alone. Without SO_REUSEADDR, so a port
    // already taken fails. Non-zero on success.
    BOOL Create(UINT port, int type = SOCK_DGRAM, long events = FD_READ, LPCSTR address = nullptr);
    // Whether Create had to do without IPv6, which the system lacks.
    bool IPv4Only() const;
    // Takes exactly one datagram. A datagram longer than len is dropped whole
    // and reported as 0; a socket error (nothing waiting included) as -1.
    // from receives its peer, the local address it was sent to and the
    // interface it came in through.
    // The datagrams waiting are taken off the socket in one call, as many as
    // a batch holds, and handed out one a call in the order they arrived; a
    // datagram is measured against the len of the call that hands it out.
    int ReceiveFrom(void* buf, int len, Endpoint* from, int flags = 0);
    // Has the event loop go on calling OnReceive for datagrams taken off the
    // socket and not handed out yet: before a nested loop (a modal box) runs
    // inside OnReceive, so that they are handled in it, in their order, as
    // datagrams waiting on the socket are.
    void RepostReceive();
    // Sent to to's peer from to's local address, so that a reply leaves from
    // the address its request was sent to.
    int SendTo(const void* buf, int len, const Endpoint& to, int flags = 0);
    // As SendTo, but held until SendQueued sends the datagrams queued so far
    // together, in their order; a full queue is sent at once. A datagram
    // that cannot be sent is dropped, as SendTo's failures are.
    void QueueSendTo(const void* buf, int len, const Endpoint& to);
    void SendQueued();
    // The endpoint that replies to a datagram from `from` go to: from itself,
    // or from with its local address left to the kernel when the kernel
    // picks that address by itself, which spares SendTo the cost of naming
    // it on every datagram.
    Endpoint ReplyEndpointFor(const Endpoint& from) const;
    void Close();
    // The bound port in host order, 0 without a socket.
    unsigned short GetLocalPort() const;

    // Called for each datagram waiting, in the order they arrived: the
    // datagrams a notification finds are taken off the socket together, and
    // OnReceive is called until ReceiveFrom has handed out every one of them.
    // Datagrams that arrive within a moment of the replies are handled in the
    // same notification, for a few milliseconds at most.
    virtual void OnReceive(int errorCode);
    // Called once OnReceive has been called for every datagram taken off the
    // socket together: where replies queued meanwhile are sent.
    virtual void OnBatchReceived();

private:
    // The platform's socket, its notifications and its batches.
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
