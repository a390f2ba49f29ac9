// The 500 ms tick, driven directly: resends of read transfers, re-acknowledged
// writes, the lifetime that ends every transfer, and the walk of the table.
#include "support/OpenFileCount.h"
#include "support/ServiceHarness.h"

#include <chrono>
#include <gtest/gtest.h>

// Requests the file and acknowledges blocks 1 to lastAcked; returns the DATA
// packet that came after them.
static std::string DownloadUpTo(Peer& peer, const std::string& name, int lastAcked)
{
    peer.Send(RequestPacket(1, name));
    std::string data = peer.Receive().value_or("");
    for (int block = 1; block <= lastAcked; ++block) {
        peer.Send(AckPacket(static_cast<std::uint16_t>(block)));
        data = peer.Receive().value_or("");
    }
    return data;
}

TEST(TimerTick, ResendsThreeTimesThenGivesUpAndLetsGo)
{
    ServiceHarness service;
    service.PutFile(0, "f", RandomBytes(10 * 512 + 1, 7));
    Peer peer(service.port);
    const int filesBefore = OpenFileCount();
    const std::string block5 = DownloadUpTo(peer, "f", 4);
    ASSERT_EQ(BlockOf(block5), 5);

    for (int tick = 1; tick <= 24; ++tick) {
        service.Tick();
        auto sent = peer.Receive(0);
        if (tick % 6 || tick == 24) {
            EXPECT_FALSE(sent) << tick;
            continue;
        }
        EXPECT_EQ(sent, block5) << tick;
        EXPECT_EQ(service.status.Last(), "ReSent Block 5 [" + std::to_string(tick / 6) + " total errors]");
    }
    // Given up, the record and its file go at once.
    EXPECT_EQ(service.status.Last(), "ReSent Block 5 fail");
    EXPECT_EQ(service.TableSize(), 0);
    EXPECT_EQ(OpenFileCount(), filesBefore);

    peer.Send(AckPacket(5)); // too late: ignored without a word
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.status.Last(), "ReSent Block 5 fail");
}

TEST(TimerTick, ResendsAreCountedOverWholeTransfer)
{
    ServiceHarness service;
    service.PutFile(0, "f", RandomBytes(4 * 512, 8));
    Peer peer(service.port);
    DownloadUpTo(peer, "f", 0);
    service.Tick(6);
    EXPECT_EQ(BlockOf(peer.Receive(0).value_or("")), 1);
    peer.Send(AckPacket(1));
    EXPECT_EQ(BlockOf(peer.Receive().value_or("")), 2);
    service.Tick(12);
    EXPECT_EQ(peer.Drain(0).size(), 2u);
    EXPECT_EQ(service.status.Last(), "ReSent Block 2 [3 total errors]");
    service.Tick(6);
    EXPECT_TRUE(peer.Drain(0).empty());
    EXPECT_EQ(service.status.Last(), "ReSent Block 2 fail");
}

TEST(TimerTick, ResentFinalBlockEndsTransferWhenAcknowledged)
{
    ServiceHarness service;
    const std::string bytes = RandomBytes(700, 9);
    service.PutFile(0, "f", bytes);
    Peer peer(service.port);
    const std::string last = DownloadUpTo(peer, "f", 1);
    ASSERT_EQ(last.size(), 4u + 188u);
    service.Tick(6);
    EXPECT_EQ(peer.Receive(0), last);
    EXPECT_EQ(service.status.Last(), "ReSent Block 2 [1 total errors]");
    peer.Send(AckPacket(2));
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.status.Last(), "Finished");
    EXPECT_EQ(service.TableSize(), 0);
}

TEST(TimerTick, SilentUploadIsReacknowledgedThreeTimesThenGivesUp)
{
    // Without any DATA, and with DATA 1 sent a few ticks after the request:
    // every DATA restarts the reply timeout.
    for (bool sendsData : {false, true}) {
        ServiceHarness service;
        WriteWholeFile(service.WritePath("w"), "old");
        Peer peer(service.port);
        const int filesBefore = OpenFileCount();
        peer.Send(RequestPacket(2, "w"));
        ASSERT_EQ(peer.Receive(), AckPacket(0));
        const std::uint16_t block = sendsData ? 1 : 0;
        if (sendsData) {
            service.Tick(4);
            peer.Send(DataPacket(1, std::string(512, 'w')));
            ASSERT_EQ(peer.Receive(), AckPacket(1));
        }
        for (int tick = 1; tick <= 24; ++tick) {
            service.Tick();
            auto ack = peer.Receive(0);
            EXPECT_EQ(ack.has_value(), tick % 6 == 0 && tick < 24) << sendsData << " tick " << tick;
            if (ack) {
                EXPECT_EQ(*ack, AckPacket(block));
            }
        }
        EXPECT_EQ(service.status.texts[service.status.texts.size() - 2],
                  "Reacknowledge Block " + std::to_string(block));
        EXPECT_EQ(service.status.Last(), "Write Block " + std::to_string(block) + " fail");
        EXPECT_EQ(service.TableSize(), 0);
        EXPECT_EQ(OpenFileCount(), filesBefore);
        EXPECT_EQ(service.WriteDirEntries(), std::vector<std::string>{"w"});
        EXPECT_EQ(ReadWholeFile(service.WritePath("w")), "old");
        peer.Send(DataPacket(static_cast<std::uint16_t>(block + 1), "late")); // matches nothing now
        EXPECT_TRUE(peer.Drain().empty());
    }
}

TEST(TimerTick, PausedUploadResumesAndCompletes)
{
    ServiceHarness service;
    Peer peer(service.port);
    peer.Send(RequestPacket(2, "w"));
    ASSERT_EQ(peer.Receive(), AckPacket(0));
    std::string sent;
    for (std::uint16_t block = 1; block <= 3; ++block) {
        service.Tick(12); // two reply timeouts: two re-acknowledgements
        EXPECT_EQ(peer.Drain(0), std::vector<std::string>(2, AckPacket(block - 1)));
        const std::string data(block < 3 ? 512 : 7, static_cast<char>('a' + block));
        sent += data;
        peer.Send(DataPacket(block, data));
        EXPECT_EQ(peer.Receive(), AckPacket(block));
    }
    EXPECT_EQ(service.status.Last(), "Finished");
    EXPECT_EQ(ReadWholeFile(service.WritePath("w")), sent);
}

TEST(TimerTick, LifetimeEndsTransferEvenWhilePacketsFlow)
{
    ServiceHarness service;
    service.PutFile(0, "f", RandomBytes(400000, 10));
    Peer peer(service.port);
    std::uint16_t block = BlockOf(DownloadUpTo(peer, "f", 0));
    for (int tick = 1; tick < 3600; ++tick) {
        service.Tick();
        if (tick % 5 == 0) {
            peer.Send(AckPacket(block));
            block = BlockOf(peer.Receive().value_or(""));
        }
    }
    EXPECT_EQ(block, 720);
    EXPECT_EQ(service.TableSize(), 1);
    service.Tick();
    EXPECT_EQ(service.status.Last(), "Aborted connection");
    EXPECT_EQ(service.TableSize(), 0);
    EXPECT_TRUE(peer.Drain(0).empty()); // nothing is sent to the peer
}

TEST(TimerTick, WalkAfterRemovalResumesBehindFirstRecord)
{
    const struct {
        int expiring;                   // position from the first record
        std::vector<int> replyTimeouts; // of the records left, first to last
    } cases[] = {
        {2, {5, 4, 5}}, // the second is counted twice
        {0, {6, 5, 5}}, // the new first is not counted at all
        {3, {5, 4, 4}}, // all but the first are counted twice
    };
    for (const auto& c : cases) {
        ServiceHarness service;
        const auto peers = service.StartReadTransfers(4);
        ASSERT_EQ(service.TableSize(), 4);
        CTransfer* expiring = service.server.Head();
        for (int i = 0; i < c.expiring; ++i)
            expiring = expiring->next;
        expiring->lifetime = 1;
        service.Tick();
        std::vector<int> replyTimeouts;
        for (CTransfer* t = service.server.Head(); t; t = t->next)
            replyTimeouts.push_back(t->replyTimeout);
        EXPECT_EQ(replyTimeouts, c.replyTimeouts) << c.expiring;
        EXPECT_EQ(service.status.Last(), "Aborted connection");
    }
}

TEST(TimerTick, ResendAfterBlockCounterWrapsSendsRightBytes)
{
    ServiceHarness service;
    constexpr std::size_t kBlocks = 65536;
    const std::string bytes = RandomBytes(kBlocks * 512 + 100, 11);
    service.PutFile(0, "big", bytes);
    Peer peer(service.port);
    const std::string wrapped = DownloadUpTo(peer, "big", 65535);
    ASSERT_EQ(BlockOf(wrapped), 0);
    EXPECT_EQ(wrapped.substr(4), bytes.substr((kBlocks - 1) * 512, 512));

    service.Tick(6);
    EXPECT_EQ(peer.Receive(0), wrapped);
    peer.Send(AckPacket(0));
    auto last = peer.Receive();
    ASSERT_TRUE(last);
    EXPECT_EQ(BlockOf(*last), 1);
    EXPECT_EQ(last->substr(4), bytes.substr(kBlocks * 512));
    peer.Send(AckPacket(1));
    peer.Drain(10);
    EXPECT_EQ(service.status.Last(), "Finished");
}

TEST(TimerTick, RealTimerResendsAfterAboutThreeSeconds)
{
    ServiceHarness service;
    g_server = &service.server;
    service.PutFile(0, "f", "short");
    Peer peer(service.port);
    peer.Send(RequestPacket(1, "f"));
    const auto first = peer.Receive();
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(first);
    const auto resent = peer.Receive(5000);
    const auto elapsed = std::chrono::steady_clock::now() - sent;
    EXPECT_EQ(resent, first);
    EXPECT_GE(elapsed, std::chrono::milliseconds(2500));
    EXPECT_LE(elapsed, std::chrono::milliseconds(3500));
}
