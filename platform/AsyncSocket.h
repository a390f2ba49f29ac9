#pragma once
// A non-blocking IPv4 UDP socket whose "a datagram is waiting" notifications
// arrive as OnReceive calls on the UI thread, in the manner of the Microsoft
// Foundation Classes' (MFC) CAsyncSocket.
#include "platform/NetTypes.h"
#include "platform/WinTypes.h"

#ifndef _WIN32
class QSocketNotifier;

constexpr long FD_READ = 0x01;
#endif

class CAsyncSocket {
public:
    CAsyncSocket();
    virtual ~CAsyncSocket();
    CAsyncSocket(const CAsyncSocket&) = delete;
    CAsyncSocket& operator=(const CAsyncSocket&) = delete;

    // Binds INADDR_ANY:port (or the given dotted IPv4 address). Without
    // SO_REUSEADDR, so a port already taken fails. Non-zero on success.
    BOOL Create(UINT port, int type = SOCK_DGRAM, long events = FD_READ, LPCSTR address = nullptr);
    // Takes exactly one datagram. A datagram longer than len is dropped whole
    // and reported as 0; a socket error (nothing waiting included) as -1.
    // local, when given, receives the local address the datagram came in on.
    int ReceiveFrom(void* buf, int len, sockaddr* from, socklen_t* fromLen, int flags = 0, in_addr* local = nullptr);
    // Sent from the local address given, so that a reply leaves from the
    // address its request was sent to; INADDR_ANY lets the kernel choose.
    int SendTo(const void* buf, int len, const sockaddr* to, int toLen, int flags = 0, in_addr local = {});
    // The local address that datagrams to peer must be sent from so that they
    // leave from local: INADDR_ANY when the kernel picks local by itself,
    // which spares SendTo the cost of naming it on every datagram.
    in_addr SourceToName(const sockaddr_in& peer, in_addr local) const;
    void Close();
    // The bound port in host order, 0 without a socket.
    unsigned short GetLocalPort() const;

    virtual void OnReceive(int errorCode);

private:
#ifdef _WIN32
    SOCKET m_socket = INVALID_SOCKET;
    HWND m_window = nullptr; // hidden; receives the socket's notifications
#else
    int m_socket = -1;
    QSocketNotifier* m_notifier = nullptr;
#endif
};
