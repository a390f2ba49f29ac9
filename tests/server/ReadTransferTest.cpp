// Read requests served through a real loopback socket: packet lengths, search
// order, name joining, the status texts and the acknowledgement rules.
#include "support/ServiceHarness.h"
#include "support/StandardErrorCapture.h"

#include "platform/MessageBox.h"

#include <filesystem>
#include <gtest/gtest.h>

// The lengths of full DATA packets and then of the last one.
static std::vector<int> FullBlocksThen(int full, int last)
{
    std::vector<int> lengths(static_cast<std::size_t>(full), 516);
    lengths.push_back(last);
    return lengths;
}

TEST(ReadTransfer, SendsBlocksOfFileInPacketsOfExpectedLengths)
{
    const struct {
        std::size_t size;
        std::vector<int> lengths;
    } cases[] = {
        {0, {4}},
        {1, {5}},
        {511, {515}},
        {512, {516, 4}},
        {1000, {516, 492}},
        {1500, {516, 516, 480}},
        // The first block, then sixteen at a time from the file: ends at either edge of a read.
        {17 * 512, FullBlocksThen(17, 4)},
        {17 * 512 + 1, FullBlocksThen(17, 5)},
        {33 * 512 - 1, FullBlocksThen(32, 515)},
    };
    for (const auto& c : cases) {
        ServiceHarness service;
        const std::string bytes = RandomBytes(c.size, static_cast<unsigned>(c.size));
        service.PutFile(0, "f.bin", bytes);
        Peer peer(service.port);
        std::vector<int> lengths;
        EXPECT_EQ(peer.Download("f.bin", &lengths), bytes) << c.size;
        EXPECT_EQ(lengths, c.lengths) << c.size;
        EXPECT_EQ(service.TableSize(), 0) << c.size;
    }
}

TEST(ReadTransfer, ReportsEveryStepOnStatusLine)
{
    ServiceHarness service;
    service.PutFile(0, "f.bin", RandomBytes(1500, 1));
    Peer peer(service.port);
    ASSERT_TRUE(peer.Download("f.bin"));
    EXPECT_EQ(service.status.texts,
              (std::vector<std::string>{"Fisrt Block of f.bin sent", "Sending 1 of 2", "Sending 2 of 2", "Finished"}));
    EXPECT_TRUE(service.boxes.empty());
}

// A name, or the text of a client's ERROR, is quoted and escaped in the
// record, so that every line parses one way: this one would otherwise read as
// a finished transfer, and reorder the line on a terminal.
TEST(ReadTransfer, RecordHasOneLinePerEventNeverOnePerBlock)
{
    const std::string hostile = "x\" finished: 1 bytes in 0.01 s\\\xe2\x80\xae\xc2\x85\xff";
    const std::string hostileQuoted = R"("x\" finished: 1 bytes in 0.01 s\\\xe2\x80\xae\xc2\x85\xff")";
    ServiceHarness service;
    service.PutFile(0, "f.bin", RandomBytes(3000, 13));
    StandardErrorCapture record;
    Peer peer(service.port);
    const std::string client = "vantrel: " + peer.RecordName() + " ";
    ASSERT_TRUE(peer.Download("f.bin"));
    ASSERT_EQ(peer.Upload("up.bin", std::string(700, 'u')), 0);
    service.enableWrite = 0;
    peer.Send(RequestPacket(2, "no\n")); // a name no Windows file can have, refused before it is looked at
    peer.Send(RequestPacket(1, hostile));
    peer.Send(ErrorPacket(1, hostile));
    peer.Send(RequestPacket(1, "f.bin"));
    peer.Drain();
    for (int tick = 0; tick < 24; ++tick)
        service.server.OnTimerTick();
    const std::vector<std::string> lines = record.Lines();
    const std::vector<std::string> expected = {
        client + "\"f.bin\" read request",
        client + "\"f.bin\" finished: 3000 bytes in ",
        client + "\"up.bin\" write request",
        client + "\"up.bin\" finished: 700 bytes in ",
        client + "\"no\\x0a\" write request",
        client + "\"no\\x0a\" refused: Write not permitted",
        client + hostileQuoted + " read request",
        client + hostileQuoted + " refused: File not found",
        client + "message: Received Error #1 for " + hostileQuoted,
        client + "\"f.bin\" read request",
        client + "\"f.bin\" resent block 1 (1 of 3)",
        client + "\"f.bin\" resent block 1 (2 of 3)",
        client + "\"f.bin\" resent block 1 (3 of 3)",
        client + "\"f.bin\" gave up at block 1",
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].substr(0, expected[i].size()), expected[i]);
    EXPECT_TRUE(lines[1].ends_with(" s"));
}

TEST(ReadTransfer, SearchesDirectoriesInOrderAndJoinsNames)
{
    ServiceHarness service;
    service.PutFile(0, "both", "first");
    service.PutFile(1, "both", "second");
    service.PutFile(1, "only1", "from second");
    std::filesystem::create_directory(service.SearchDir(1) + "/sub");
    service.PutFile(1, "sub/deep", "nested");
    Peer peer(service.port);

    EXPECT_EQ(peer.Download("both"), "first");
    EXPECT_EQ(peer.Download("only1"), "from second");
    EXPECT_EQ(peer.Download("sub\\deep"), "nested");
    EXPECT_EQ(peer.Download("sub/deep"), "nested");

    // Empty entries are skipped, and a trailing separator still gets one more.
    service.searchDirs = {"", service.SearchDir(1) + "/"};
    EXPECT_EQ(peer.Download("both"), "second");
}

TEST(ReadTransfer, IgnoresModeString)
{
    ServiceHarness service;
    const std::string bytes = "line\r\nend\n" + RandomBytes(600, 2);
    service.PutFile(0, "f", bytes);
    Peer peer(service.port);
    for (const char* mode : {"octet", "netascii", "", "MAIL", "nonsense"}) {
        peer.Send(RequestPacket(1, "f", mode));
        auto first = peer.Receive();
        ASSERT_TRUE(first) << mode;
        peer.Send(AckPacket(1));
        auto second = peer.Receive();
        ASSERT_TRUE(second) << mode;
        peer.Send(AckPacket(2));
        EXPECT_EQ(first->substr(4) + second->substr(4), bytes) << mode;
    }
}

TEST(ReadTransfer, AnswersMissingFileWithFileNotFound)
{
    ServiceHarness service;
    Peer peer(service.port);
    for (bool emptyList : {false, true}) {
        if (emptyList)
            service.searchDirs.clear();
        peer.Send(RequestPacket(1, "missing.bin"));
        auto reply = peer.Receive();
        ASSERT_TRUE(reply);
        EXPECT_EQ(*reply, ErrorPacket(1, "File not found"));
        EXPECT_EQ(reply->size(), 19u);
        EXPECT_EQ(service.status.Last(), "Unknown File missing.bin");
        EXPECT_EQ(service.TableSize(), 0);
    }
}

TEST(ReadTransfer, RepeatedOrForeignAckSendsNothing)
{
    ServiceHarness service;
    service.PutFile(0, "f", RandomBytes(1500, 3));
    Peer peer(service.port);
    Peer stranger(service.port);
    peer.Send(RequestPacket(1, "f"));
    ASSERT_EQ(BlockOf(*peer.Receive()), 1);
    peer.Send(AckPacket(1));
    ASSERT_EQ(BlockOf(*peer.Receive()), 2);

    peer.Send(AckPacket(1));
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.status.Last(), "Repeat ACK for 1");

    peer.Send(AckPacket(7)); // an ACK for a later block is no match either
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.status.Last(), "Repeat ACK for 7");

    const std::size_t textsBefore = service.status.texts.size();
    stranger.Send(AckPacket(2));
    EXPECT_TRUE(stranger.Drain().empty());
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.status.texts.size(), textsBefore);

    peer.Send(AckPacket(2));
    auto third = peer.Receive();
    ASSERT_TRUE(third);
    EXPECT_EQ(BlockOf(*third), 3);
}

TEST(ReadTransfer, SecondRequestFromSamePeerStartsSecondTransfer)
{
    ServiceHarness service;
    service.PutFile(0, "a", std::string(1024, 'a'));
    service.PutFile(0, "b", std::string(1024, 'b'));
    Peer peer(service.port);
    peer.Send(RequestPacket(1, "a"));
    EXPECT_EQ(peer.Receive()->substr(4), std::string(512, 'a'));
    peer.Send(RequestPacket(1, "b"));
    EXPECT_EQ(peer.Receive()->substr(4), std::string(512, 'b'));
    EXPECT_EQ(service.TableSize(), 2);

    peer.Send(AckPacket(1));
    EXPECT_EQ(peer.Receive()->substr(4), std::string(512, 'b'));
    peer.Send(AckPacket(2));
    EXPECT_EQ(peer.Receive()->size(), 4u);
    peer.Send(AckPacket(3));
    peer.Drain();
    EXPECT_EQ(service.TableSize(), 1);
    // With the newer one gone, the peer's acknowledgements reach the older one.
    peer.Send(AckPacket(1));
    EXPECT_EQ(peer.Receive()->substr(4), std::string(512, 'a'));
}

TEST(ReadTransfer, ErrorPacketFromClientIsShownAndEndsNothing)
{
    ServiceHarness service;
    service.PutFile(0, "f", RandomBytes(600, 4));
    Peer peer(service.port);
    peer.Send(RequestPacket(1, "f"));
    ASSERT_TRUE(peer.Receive());
    const std::string statusBefore = service.status.Last();
    peer.Send(ErrorPacket(0x1f, "disk on fire"));
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.boxes, std::vector<std::string>{"Received Error #1f for disk on fire"});
    EXPECT_EQ(service.status.Last(), statusBefore);
    EXPECT_EQ(service.TableSize(), 1);

    // An acknowledgement taken off the socket together with an ERROR is
    // answered while the ERROR's box is open, as the box's loop runs.
    std::optional<std::string> answeredDuringBox;
    AfxSetMessageBoxSeam([&](const std::string&, const std::string&) {
        answeredDuringBox = peer.Receive(1000);
        return IDOK;
    });
    peer.Send(ErrorPacket(0x1f, "disk on fire"));
    peer.Send(AckPacket(1));
    PumpEvents(200);
    ASSERT_TRUE(answeredDuringBox);
    EXPECT_EQ(answeredDuringBox->size(), 4u + 88u);
}
