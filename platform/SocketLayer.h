#pragma once
// Stands in for starting Windows Sockets: the program can serve only if the
// system lets it create an IPv4 UDP socket at all.
#include "platform/WinTypes.h"

// Non-zero when an IPv4 UDP socket can be created (it is closed again at once).
BOOL AfxSocketInit();
