#include "platform/NetInterface.h"

// The IP Helper headers need Windows Sockets' first.
// clang-format off
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>
// clang-format on

int InterfaceMtu(unsigned interfaceIndex)
{
    MIB_IF_ROW2 row{};
    row.InterfaceIndex = interfaceIndex;
    if (!interfaceIndex || GetIfEntry2(&row) != NO_ERROR)
        return 0;
    return static_cast<int>(row.Mtu);
}
