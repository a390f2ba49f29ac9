#pragma once
// Starting Windows Sockets, needed before any socket. On Windows it asks for
// version 2.2; elsewhere it stands in: the program can serve only if the
// system lets it create an IPv4 UDP socket at all.
#include "platform/WinTypes.h"

// Non-zero on success: Windows Sockets 2.2 started, or, elsewhere, an IPv4
// UDP socket could be created (it is closed again at once).
BOOL AfxSocketInit();
