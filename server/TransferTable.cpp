#include "server/TransferTable.h"

static std::uint64_t PeerKey(const sockaddr_in& peer, bool isWrite)
{
    return std::uint64_t{peer.sin_addr.s_addr} << 17 | std::uint64_t{peer.sin_port} << 1 | (isWrite ? 1 : 0);
}

void CTransferIndex::Add(CTransfer* t)
{
    CTransfer*& newest = m_newest[PeerKey(t->peer, t->isWrite)];
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
    const std::uint64_t key = PeerKey(t->peer, t->isWrite);
    if (t->samePeerOlder)
        m_newest[key] = t->samePeerOlder;
    else
        m_newest.erase(key);
}

CTransfer* CTransferIndex::Newest(const sockaddr_in& peer, bool isWrite) const
{
    const auto found = m_newest.find(PeerKey(peer, isWrite));
    return found == m_newest.end() ? nullptr : found->second;
}

CTransfer* CTransferIndex::FindRead(const sockaddr_in& peer) const
{
    return Newest(peer, false);
}

CTransfer* CTransferIndex::FindNewestWrite(const sockaddr_in& peer) const
{
    return Newest(peer, true);
}

CTransfer* CTransferIndex::FindWrite(const sockaddr_in& peer, std::uint16_t block) const
{
    // The expected block wraps from 65535 to 0, as clients count past it.
    for (CTransfer* t = Newest(peer, true); t; t = t->samePeerOlder)
        if (block == static_cast<std::uint16_t>(t->block + 1))
            return t;
    return nullptr;
}

void CTransferIndex::Release()
{
    if (m_newest.empty())
        std::unordered_map<std::uint64_t, CTransfer*>().swap(m_newest);
}
