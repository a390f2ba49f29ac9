#include "platform/NetInterface.h"

#include <cstring>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

int InterfaceMtu(unsigned interfaceIndex)
{
    ifreq request{};
    if (!interfaceIndex || !if_indextoname(interfaceIndex, request.ifr_name))
        return 0;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    const bool known = ioctl(fd, SIOCGIFMTU, &request) == 0;
    ::close(fd);
    return known ? request.ifr_mtu : 0;
}
