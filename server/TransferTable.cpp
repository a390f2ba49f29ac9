#include "server/TransferTable.h"

static bool SamePeer(const sockaddr_in& a, const sockaddr_in& b)
{
    return a.sin_port == b.sin_port && a.sin_addr.s_addr == b.sin_addr.s_addr;
}

CTransfer* FindReadTransfer(CTransfer* head, const sockaddr_in& peer)
{
    for (CTransfer* t = head; t; t = t->next)
        if (!t->isWrite && SamePeer(t->peer, peer))
            return t;
    return nullptr;
}

CTransfer* FindWriteTransfer(CTransfer* head, const sockaddr_in& peer, std::uint16_t block)
{
    // The expected block wraps from 65535 to 0, as clients count past it.
    for (CTransfer* t = head; t; t = t->next)
        if (t->isWrite && SamePeer(t->peer, peer) && block == static_cast<std::uint16_t>(t->block + 1))
            return t;
    return nullptr;
}
