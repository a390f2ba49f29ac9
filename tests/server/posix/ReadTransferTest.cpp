// Read requests that only Linux can pose: the root of the filesystem, and a
// file whose reads fail.
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
