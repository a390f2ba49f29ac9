// The transfer table: newest record first, removal from any place, and the
// peer that a record belongs to, whose datagrams find it.
#include "support/ServiceHarness.h"

#include "platform/SocketAddress.h"
#include "server/TransferTable.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

static std::vector<unsigned short> PeerPorts(const ServiceHarness& service)
{
    std::vector<unsigned short> ports;
    for (CTransfer* t = service.server.Head(); t; t = t->next)
        ports.push_back(ntohs(EndpointAccess::PeerAsIPv6(t->peer).sin6_port));
    return ports;
}

static CTransfer* Nth(const ServiceHarness& service, int index)
{
    CTransfer* t = service.server.Head();
    while (index--)
        t = t->next;
    return t;
}

TEST(TransferTable, KeepsOrderWhenRecordsAreRemoved)
{
    const struct {
        std::vector<int> removed; // indexes into the table as it stands at each removal
        std::vector<int> left;    // peers, by the order of their requests
    } cases[] = {
        {{1}, {3, 1, 0}},   // from the middle
        {{3}, {3, 2, 1}},   // the last
        {{0}, {2, 1, 0}},   // the first
        {{0, 0, 0, 0}, {}}, // down to an empty table
    };
    for (const auto& c : cases) {
        ServiceHarness service;
        const auto peers = service.StartReadTransfers(4);
        ASSERT_EQ(service.TableSize(), 4);
        for (int index : c.removed)
            service.server.RemoveTransfer(Nth(service, index));
        std::vector<unsigned short> expected;
        for (int i : c.left)
            expected.push_back(peers[static_cast<std::size_t>(i)]->Port());
        EXPECT_EQ(PeerPorts(service), expected);
        EXPECT_EQ(service.server.Head() == nullptr, c.left.empty());
        // Each peer left is still answered; a removed one is not.
        for (std::size_t i = 0; i < peers.size(); ++i) {
            const bool left = std::find(c.left.begin(), c.left.end(), static_cast<int>(i)) != c.left.end();
            peers[i]->Send(AckPacket(1));
            EXPECT_EQ(peers[i]->Drain().size(), left ? 1u : 0u) << "peer " << i;
        }
    }
}

TEST(TransferTable, RecordKeepsRequestersAddressAndFreshCounters)
{
    ServiceHarness service;
    service.PutFile(0, "f", std::string(513 * 3, 'f'));
    Peer peer(service.port);
    peer.Send(RequestPacket(1, "f"));
    ASSERT_TRUE(peer.Receive());
    peer.Send(RequestPacket(2, "w"));
    ASSERT_TRUE(peer.Receive());

    const CTransfer* write = Nth(service, 0);
    const CTransfer* read = Nth(service, 1);
    EXPECT_EQ(read->block, 1);
    EXPECT_EQ(read->totalBlocks, 3);
    EXPECT_EQ(read->isWrite, 0);
    EXPECT_EQ(write->block, 0);
    EXPECT_EQ(write->isWrite, 1);
    for (const CTransfer* t : {read, write}) {
        EXPECT_EQ(t->replyTimeout, 6);
        EXPECT_EQ(t->lifetime, 3600);
        EXPECT_EQ(t->retries, 0);
        EXPECT_TRUE(t->peer.SamePeer(EndpointAccess::FromText(TestLoopback(), peer.Port())));
    }
}

// Each peer finds its own record, also where the address of one and the port
// of the other fill the same bits of a key that lets them overlap: as they
// are stored, in network order, the first byte of the address (127 and 11
// are odd, 10 is even) and the top bit of either byte of the port; and IPv6
// peers whose addresses differ only where an IPv4 one would be.
TEST(TransferTable, PeersThatDifferInAnyBitFindTheirOwnRecords)
{
    const struct {
        const char* address;
        unsigned short port;
    } peers[] = {
        {"127.0.0.1", 0x1234}, {"127.0.0.1", 0x12b4}, {"127.0.0.1", 0x9234},   {"11.0.0.1", 0x1234},
        {"10.0.0.1", 0x12b4},  {"10.0.0.1", 0x9234},  {"10.0.0.1", 0x1234},    {"10.0.0.2", 0x1234},
        {"::a00:1", 0x1234},   {"::1", 0x1234},       {"2001:db8::1", 0x1234}, {"2001:db8::1:1", 0x1234},
    };
    constexpr std::size_t kPeers = std::size(peers);
    CTransfer records[kPeers];
    CTransferIndex index;
    for (std::size_t i = 0; i < kPeers; ++i) {
        records[i].peer = EndpointAccess::FromText(peers[i].address, peers[i].port);
        index.Add(&records[i]);
    }
    for (std::size_t i = 0; i < kPeers; ++i)
        EXPECT_EQ(index.FindRead(records[i].peer), &records[i]) << peers[i].address << ":" << peers[i].port;
    // An IPv4 peer on a socket of both families comes as an IPv4-mapped address.
    EXPECT_EQ(index.FindRead(EndpointAccess::FromText("::ffff:10.0.0.1", 0x1234)), &records[6]);
    for (CTransfer& record : records)
        index.Remove(&record);
}
