#pragma once
// A non-blocking IPv4 UDP socket whose "a datagram is waiting" notifications
// arrive as OnReceive calls on the UI thread, in the manner of the Microsoft
// Foundation Classes' (MFC) CAsyncSocket.
#include "platform/NetTypes.h"
#include "platform/WinTypes.h"

#include <memory>

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
    // local, when given, receives the local address the datagram came in on,
    // and interfaceIndex the index of the interface it came in through.
    // The datagrams waiting are taken off the socket in one call, as many as
    // a batch holds, and handed out one a call in the order they arrived; a
    // datagram is measured against the len of the call that hands it out.
    int ReceiveFrom(void* buf, int len, sockaddr* from, socklen_t* fromLen, int flags = 0, in_addr* local = nullptr,
                    unsigned* interfaceIndex = nullptr);
    // Has the event loop go on calling OnReceive for datagrams taken off the
    // socket and not handed out yet: before a nested loop (a modal box) runs
    // inside OnReceive, so that they are handled in it, in their order, as
    // datagrams waiting on the socket are.
    void RepostReceive();
    // Sent from the local address given, so that a reply leaves from the
    // address its request was sent to; INADDR_ANY lets the kernel choose.
    int SendTo(const void* buf, int len, const sockaddr* to, int toLen, int flags = 0, in_addr local = {});
    // As SendTo, but held until SendQueued sends the datagrams queued so far
    // together, in their order; a full queue is sent at once. A datagram
    // that cannot be sent is dropped, as SendTo's failures are.
    void QueueSendTo(const void* buf, int len, const sockaddr_in& to, in_addr local = {});
    void SendQueued();
    // The local address that datagrams to peer must be sent from so that they
    // leave from local: INADDR_ANY when the kernel picks local by itself,
    // which spares SendTo the cost of naming it on every datagram.
    in_addr SourceToName(const sockaddr_in& peer, in_addr local) const;
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
#ifdef _WIN32
    static LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnNotification(LPARAM lParam);
    bool OthersKeptWaiting();
    void PauseNotifications();
    void ResumeNotifications();

    SOCKET m_socket = INVALID_SOCKET;
    HWND m_window = nullptr; // hidden; receives the socket's notifications
    bool m_paused = false;
    ULONGLONG m_othersWaitingSince = 0; // GetTickCount64's; 0 while none wait
#else
    struct Batches;
    // Datagrams taken off the socket that ReceiveFrom has not handed out yet.
    bool HasReceivedDatagrams() const;
    void DispatchReceived();
    void DispatchBatch();

    int m_socket = -1;
    QSocketNotifier* m_notifier = nullptr;
    std::unique_ptr<Batches> m_batches;
#endif
};
