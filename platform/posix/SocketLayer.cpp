#include "platform/SocketLayer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

BOOL AfxSocketInit()
{
    const int probe = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (probe < 0)
        return FALSE;
    ::close(probe);
    return TRUE;
}
