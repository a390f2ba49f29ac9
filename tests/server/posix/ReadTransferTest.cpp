// Read requests that only Linux can pose: the root of the filesystem, and a
// file whose reads fail; and block numbers past 65535 in windows of small
// blocks, which take too long under wine.
#include "tests/server/support/ServiceHarness.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(ReadTransfer, EmptySearchEntryAloneNeverServesFilesystemRoot)
{
    ServiceHarness service;
    Peer peer(service.port);
    service.searchDirs = {""};
    ASSERT_TRUE(QFile::exists("/etc/passwd"));
    peer.Send(RequestPacket(1, "etc/passwd"));
    EXPECT_EQ(peer.Receive(), ErrorPacket(1, "File not found"));
}

TEST(ReadTransfer, ReadErrorIsReportedNotPassedOffAsEndOfFile)
{
    // Reading this process's own memory image from offset 0 fails with EIO.
    ServiceHarness service;
    service.searchDirs = {"/proc/self"};
    Peer peer(service.port);
    peer.Send(RequestPacket(1, "mem"));
    auto reply = peer.Receive();
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply, ErrorPacket(0, "File read error"));
    EXPECT_EQ(service.status.Last(), "Read Failed for Block 1");
    EXPECT_EQ(service.TableSize(), 0);
}

// 65,537 blocks of 8 bytes in windows, both ways: the block numbers go past
// 65535 to 0. Under wine, so many datagrams take minutes; the rollover is
// the service's own, the same on both platforms.
TEST(ReadTransfer, BlockNumbersRollOverWhateverTheBlockSize)
{
    ServiceHarness service;
    const std::string bytes = RandomBytes(65537 * 8 - 5, 35);
    service.PutFile(0, "f", bytes);
    Peer peer(service.port);
    const OptionList asked{{"blksize", "8"}, {"windowsize", "16"}};
    EXPECT_EQ(peer.Download("f", nullptr, asked), bytes);
    EXPECT_EQ(peer.Upload("up", bytes, asked), 0);
    EXPECT_EQ(ReadWholeFile(service.WritePath("up")), bytes);
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.TableSize(), 0);
}
