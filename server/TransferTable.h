#pragma once
// The transfer table's index by peer. For each client address and port, and
// each direction, it keeps that peer's records newest first, so that a
// datagram finds its record, and a record leaves the index, at the same cost
// whatever the number of transfers. Among several candidates of one peer the
// newest wins. Peers are compared by address, port and, for a link-local
// address, scope.
#include "server/Transfer.h"

#include <cstdint>
#include <unordered_map>

class CTransferIndex {
public:
    // t becomes the newest record of its peer and direction.
    void Add(CTransfer* t);
    void Remove(CTransfer* t);
    // The read transfer of this peer, for an ACK.
    CTransfer* FindRead(const Endpoint& peer) const;
    // The newest write transfer of this peer, whatever block it expects.
    CTransfer* FindNewestWrite(const Endpoint& peer) const;
    // The write transfer of this peer that expects this block, for a DATA packet.
    CTransfer* FindWrite(const Endpoint& peer, std::uint16_t block) const;
    // Frees what the index grew to; only once it holds no record.
    void Release();

private:
    CTransfer* Newest(const Endpoint& peer, bool isWrite) const;

    using NewestOfPeer = std::unordered_map<Endpoint, CTransfer*, PeerHash, SamePeer>;
    NewestOfPeer& PeersOf(bool isWrite) { return m_newest[isWrite ? 1 : 0]; }
    const NewestOfPeer& PeersOf(bool isWrite) const { return m_newest[isWrite ? 1 : 0]; }

    NewestOfPeer m_newest[2]; // reads, then writes
};
