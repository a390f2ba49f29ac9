// Requests with options: what is granted, the option acknowledgement and its
// answers, windows of blocks both ways, and the client's resend interval.
#include "support/ServiceHarness.h"
#include "support/StandardErrorCapture.h"

#include <gtest/gtest.h>

TEST(Options, EachIsGrantedWithinItsBoundsOrIgnored)
{
    ServiceHarness service;
    const std::string bytes = RandomBytes(3000, 31);
    service.PutFile(0, "f", bytes);
    const std::string plain = DataPacket(1, bytes.substr(0, 512));
    const struct {
        OptionList asked;
        std::string reply;
    } cases[] = {
        // As a UEFI firmware asks, in the order asked.
        {{{"tsize", "0"}, {"blksize", "1468"}, {"windowsize", "4"}},
         OptionsAckPacket({{"tsize", "3000"}, {"blksize", "1468"}, {"windowsize", "4"}})},
        {{{"BLKSIZE", "1024"}, {"TimeOut", "3"}}, OptionsAckPacket({{"blksize", "1024"}, {"timeout", "3"}})},
        {{{"blksize", "70000"}}, OptionsAckPacket({{"blksize", "65464"}})},
        {{{"windowsize", "100"}}, OptionsAckPacket({{"windowsize", "64"}})},
        {{{"blksize", "8"}, {"blksize", "16"}}, OptionsAckPacket({{"blksize", "8"}})},
        {{{"foo", "1"}, {"timeout", "255"}}, OptionsAckPacket({{"timeout", "255"}})},
        // Nothing granted: served as a request without options.
        {{{"blksize", "7"}}, plain},
        {{{"blksize", "1024x"}}, plain},
        {{{"blksize", "+1024"}}, plain},
        {{{"blksize", ""}}, plain},
        {{{"tsize", "-1"}}, plain},
        {{{"timeout", "0"}}, plain},
        {{{"timeout", "256"}}, plain},
        {{{"windowsize", "0"}}, plain},
        {{{"blksize", "99999999999999999999"}}, plain},
        {{{"foo", "1"}}, plain},
    };
    for (const auto& c : cases) {
        Peer peer(service.port);
        peer.Send(OptionsRequest(1, "f", c.asked));
        EXPECT_EQ(peer.Receive(), c.reply) << c.asked.front().first << " " << c.asked.front().second;
    }
    // An option whose value has no zero byte before the datagram ends.
    Peer peer(service.port);
    peer.Send(RequestPacket(1, "f") + "blksize" + std::string(1, '\0') + "1024");
    EXPECT_EQ(peer.Receive(), plain);
    // A write's own size is echoed.
    peer.Send(OptionsRequest(2, "up", {{"tsize", "700"}, {"blksize", "600"}}));
    EXPECT_EQ(peer.Receive(), OptionsAckPacket({{"tsize", "700"}, {"blksize", "600"}}));
}

// A firmware asks for the size, then ends that query with an ERROR, as a
// client declines options: no box, no status text, nothing sent again, one
// record line, and the file of either direction let go.
TEST(Options, AnErrorAnsweringTheAcknowledgementEndsTheTransferQuietly)
{
    ServiceHarness service;
    service.PutFile(0, "syslinux.efi", RandomBytes(5000, 32));
    StandardErrorCapture record;
    Peer peer(service.port);
    const std::string client = "vantrel: " + peer.RecordName() + " ";
    peer.Send(OptionsRequest(1, "syslinux.efi", {{"tsize", "0"}, {"blksize", "1468"}, {"windowsize", "4"}}));
    ASSERT_TRUE(peer.Receive());
    peer.Send(ErrorPacket(8, "User aborted the transfer"));
    peer.Send(OptionsRequest(2, "up", {{"tsize", "10"}}));
    ASSERT_EQ(peer.Receive(), OptionsAckPacket({{"tsize", "10"}}));
    peer.Send(ErrorPacket(8, "no"));
    EXPECT_TRUE(peer.Drain().empty());
    service.Tick(30);
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_TRUE(service.boxes.empty());
    EXPECT_EQ(service.status.texts, std::vector<std::string>{"Write File for up"});
    EXPECT_EQ(service.TableSize(), 0);
    EXPECT_TRUE(service.WriteDirEntries().empty());
    EXPECT_EQ(record.Lines(),
              (std::vector<std::string>{
                  client + "\"syslinux.efi\" read request (tsize 5000, blksize 1468, windowsize 4)",
                  client + "\"syslinux.efi\" options declined: error 8 \"User aborted the transfer\"",
                  client + "\"up\" write request (tsize 10)",
                  client + "\"up\" options declined: error 8 \"no\"",
              }));
}

// Lost, the acknowledgement is sent again after the client's own interval,
// within the three resends a transfer has; answered late, the transfer goes on.
TEST(Options, AnUnansweredAcknowledgementIsResentWithinTheBudget)
{
    ServiceHarness service;
    service.PutFile(0, "f", RandomBytes(100, 33));
    Peer late(service.port);
    const OptionList asked{{"timeout", "1"}};
    late.Send(OptionsRequest(1, "f", asked));
    ASSERT_EQ(late.Receive(), OptionsAckPacket(asked));
    service.Tick(1);
    EXPECT_FALSE(late.Receive(0));
    service.Tick(1);
    EXPECT_EQ(late.Receive(), OptionsAckPacket(asked));
    EXPECT_EQ(service.status.Last(), "ReSent Block 0 [1 total errors]");
    late.Send(AckPacket(0));
    EXPECT_EQ(late.Receive(), DataPacket(1, ReadWholeFile(service.SearchDir(0) + "/f")));
    EXPECT_EQ(service.status.Last(), "Fisrt Block of f sent");
    late.Send(AckPacket(1));
    EXPECT_TRUE(late.Drain().empty());

    Peer silent(service.port);
    silent.Send(OptionsRequest(2, "up", asked));
    ASSERT_EQ(silent.Receive(), OptionsAckPacket(asked));
    for (int resend = 1; resend <= 3; ++resend) {
        service.Tick(2);
        EXPECT_EQ(silent.Receive(), OptionsAckPacket(asked)) << resend;
        EXPECT_EQ(service.status.Last(), "Reacknowledge Block 0");
    }
    service.Tick(2);
    EXPECT_EQ(service.status.Last(), "Write Block 0 fail");
    EXPECT_FALSE(silent.Receive(0));
    EXPECT_EQ(service.TableSize(), 0);
    EXPECT_TRUE(service.WriteDirEntries().empty());
}

TEST(Options, AReadWindowMovesWithEachAckAndIsResentFromTheFirstBlockLacking)
{
    ServiceHarness service;
    const std::string bytes = RandomBytes(50, 34); // blocks 1-6 of 8 bytes, block 7 of 2
    service.PutFile(0, "f", bytes);
    const auto block = [&bytes](int n) {
        return DataPacket(static_cast<std::uint16_t>(n), bytes.substr(static_cast<std::size_t>(n - 1) * 8, 8));
    };
    const auto window = [&block](int first, int last) {
        std::vector<std::string> packets;
        for (int n = first; n <= last; ++n)
            packets.push_back(block(n));
        return packets;
    };
    Peer peer(service.port);
    const OptionList asked{{"blksize", "8"}, {"windowsize", "4"}};
    peer.Send(OptionsRequest(1, "f", asked));
    ASSERT_EQ(peer.Receive(), OptionsAckPacket(asked));
    peer.Send(AckPacket(0));
    EXPECT_EQ(peer.Drain(), window(1, 4));
    peer.Send(AckPacket(2)); // block 3 was lost
    EXPECT_EQ(peer.Drain(), window(3, 6));
    EXPECT_EQ(service.status.Last(), "Sending 2 of 6");
    peer.Send(AckPacket(2));
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.status.Last(), "Repeat ACK for 2");
    service.Tick(6);
    EXPECT_EQ(peer.Drain(), window(3, 6));
    EXPECT_EQ(service.status.Last(), "ReSent Block 3 [1 total errors]");
    peer.Send(AckPacket(6));
    EXPECT_EQ(peer.Drain(), window(7, 7));
    peer.Send(AckPacket(7));
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.status.Last(), "Finished");
    EXPECT_EQ(service.TableSize(), 0);
}

TEST(Options, AWriteWindowIsAcknowledgedByItsLastBlockAndAGapOnce)
{
    ServiceHarness service;
    Peer peer(service.port);
    const OptionList asked{{"blksize", "8"}, {"windowsize", "4"}};
    peer.Send(OptionsRequest(2, "up", asked));
    ASSERT_EQ(peer.Receive(), OptionsAckPacket(asked));
    EXPECT_EQ(service.status.Last(), "Write File for up");
    std::string bytes;
    const auto send = [&peer, &bytes](int n, bool stored) {
        const std::string chunk = n == 9 ? std::string("end") : std::string(8, static_cast<char>('a' + n));
        if (stored)
            bytes += chunk;
        peer.Send(DataPacket(static_cast<std::uint16_t>(n), chunk));
    };
    for (int n = 1; n <= 4; ++n)
        send(n, true);
    EXPECT_EQ(peer.Drain(), std::vector<std::string>{AckPacket(4)});
    EXPECT_EQ(service.status.Last(), "Write Block 4 8 bytes");
    send(5, true);
    send(7, false); // 6 was lost: the client hears that 5 came last, once
    send(8, false);
    EXPECT_EQ(peer.Drain(), std::vector<std::string>{AckPacket(5)});
    for (int n = 6; n <= 9; ++n)
        send(n, true);
    EXPECT_EQ(peer.Drain(), std::vector<std::string>{AckPacket(9)});
    EXPECT_EQ(service.status.Last(), "Finished");
    EXPECT_EQ(ReadWholeFile(service.WritePath("up")), bytes);
}

// Real clients ask for windows of many sizes: whole files arrive both ways,
// one that ends with a window and one that ends inside it.
TEST(Options, WindowsCarryWholeFilesBothWays)
{
    ServiceHarness service;
    Peer peer(service.port);
    const OptionList windows[] = {
        {{"blksize", "8"}, {"windowsize", "4"}},
        {{"blksize", "1468"}, {"windowsize", "64"}},
        {{"blksize", "1024"}, {"windowsize", "16"}, {"tsize", "0"}},
    };
    for (const OptionList& asked : windows) {
        const int window = std::stoi(asked[0].second) * std::stoi(asked[1].second);
        for (const int size : {4 * window, 3 * window + 100}) {
            SCOPED_TRACE(asked[0].second + " " + std::to_string(size));
            const std::string bytes = RandomBytes(static_cast<std::size_t>(size), static_cast<unsigned>(size));
            service.PutFile(0, "f", bytes);
            OptionList granted = asked;
            if (asked.size() == 3)
                granted[2].second = std::to_string(size);
            EXPECT_EQ(peer.Download("f", nullptr, granted), bytes);
            EXPECT_EQ(peer.Upload("up", bytes, asked), 0);
            EXPECT_EQ(ReadWholeFile(service.WritePath("up")), bytes);
        }
    }
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.TableSize(), 0);
}
