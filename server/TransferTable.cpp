#include "server/TransferTable.h"

void CTransferIndex::Add(CTransfer* t)
{
    CTransfer*& newest = PeersOf(t->isWrite)[t->peer];
    t->samePeerOlder = newest;
    t->samePeerNewer = nullptr;
    if (newest)
        newest->samePeerNewer = t;
    newest = t;
}

void CTransferIndex::Remove(CTransfer* t)
{
    if (t->samePeerOlder)
        t->samePeerOlder->samePeerNewer = t->samePeerNewer;
    if (t->samePeerNewer) {
        t->samePeerNewer->samePeerOlder = t->samePeerOlder;
        return;
    }
    if (t->samePeerOlder)
        PeersOf(t->isWrite)[t->peer] = t->samePeerOlder;
    else
        PeersOf(t->isWrite).erase(t->peer);
}

CTransfer* CTransferIndex::Newest(const Endpoint& peer, bool isWrite) const
{
    const auto found = PeersOf(isWrite).find(peer);
    return found == PeersOf(isWrite).end() ? nullptr : found->second;
}

CTransfer* CTransferIndex::FindRead(const Endpoint& peer) const
{
    return Newest(peer, false);
}

CTransfer* CTransferIndex::FindNewestWrite(const Endpoint& peer) const
{
    return Newest(peer, true);
}

CTransfer* CTransferIndex::FindWrite(const Endpoint& peer, std::uint16_t block) const
{
    // The expected block wraps from 65535 to 0, as clients count past it.
    for (CTransfer* t = Newest(peer, true); t; t = t->samePeerOlder)
        if (block == static_cast<std::uint16_t>(t->block + 1))
            return t;
    return nullptr;
}

void CTransferIndex::Release()
{
    for (NewestOfPeer& newest : m_newest)
        if (newest.empty())
            NewestOfPeer().swap(newest);
}
