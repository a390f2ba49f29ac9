#pragma once
// Lookups in the transfer table. Each walks from the newest record, so among
// several candidates the newest wins. Peers are compared by port and IPv4
// address only.
#include "server/Transfer.h"

#include <cstdint>

// The read transfer of this peer, for an ACK.
CTransfer* FindReadTransfer(CTransfer* head, const sockaddr_in& peer);
// The write transfer of this peer that expects this block, for a DATA packet.
CTransfer* FindWriteTransfer(CTransfer* head, const sockaddr_in& peer, std::uint16_t block);
