#include "platform/SocketLayer.h"

#include <winsock2.h>

// Windows Sockets 2.2: WSARecvMsg and WSASendMsg, which carry each
// datagram's local address, exist from 2.2 on.
BOOL AfxSocketInit()
{
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return FALSE;
    if (data.wVersion == MAKEWORD(2, 2))
        return TRUE;
    WSACleanup();
    return FALSE;
}
