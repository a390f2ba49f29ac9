// Write requests as only Linux can pose them: file modes, a disk that fills
// up and flushes that fail.
#include "support/SoftLimit.h"
#include "tests/server/support/ServiceHarness.h"

#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// While set, flushing a file of this type (S_IFREG, S_IFDIR) to the disk
// fails, as on a failing disk; 0 lets every flush through.
static mode_t g_failingFlush = 0;

// A link-time seam: this program's fsync stands in for the C library's.
extern "C" int fsync(int fd)
{
    struct stat info = {};
    if (g_failingFlush != 0 && fstat(fd, &info) == 0 && (info.st_mode & S_IFMT) == g_failingFlush) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsync, fd));
}

static unsigned ModeOf(const std::string& path)
{
    struct stat info = {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(WriteTransfer, UploadsGetUsualModeAndReplacedFilesKeepTheirs)
{
    ServiceHarness service;
    Peer peer(service.port);
    EXPECT_EQ(peer.Upload("up.bin", RandomBytes(700, 5)), 0);
    const mode_t umaskNow = umask(0);
    umask(umaskNow);
    EXPECT_EQ(ModeOf(service.WritePath("up.bin")), 0666u & ~umaskNow);

    const std::string path = service.WritePath("old");
    WriteWholeFile(path, "previous content");
    chmod(path.c_str(), 06640);
    peer.Send(RequestPacket(2, "old"));
    ASSERT_EQ(peer.Receive(), AckPacket(0));
    // The partial upload is its owner's alone.
    const std::string temporary = service.WriteDirEntries().front();
    ASSERT_NE(temporary, "old");
    EXPECT_EQ(ModeOf(service.WritePath(temporary)), 0600u) << temporary;
    // A download of the old file, which it holds open, does not stop the replacement.
    service.searchDirs = {service.writeDir};
    Peer reader(service.port);
    reader.Send(RequestPacket(1, "old"));
    EXPECT_EQ(reader.Receive(), DataPacket(1, "previous content"));
    peer.Send(DataPacket(1, "new"));
    EXPECT_EQ(peer.Receive(), AckPacket(1));
    EXPECT_EQ(ReadWholeFile(path), "new");
    EXPECT_EQ(ModeOf(path), 0640u);
}

TEST(WriteTransfer, FailedWriteIsNeverAcknowledgedAndHarmsNothing)
{
    const std::string upload = std::string(512, 'n') + std::string(100, 'e');
    const struct {
        const char* what;
        rlim_t fileSizeLimit;
        mode_t failingFlush;
        std::string afterwards;
    } cases[] = {
        {"the disk is full", 600, 0, "old"},
        {"the file cannot be flushed", RLIM_INFINITY, S_IFREG, "old"},
        // The rename is done and cannot be undone; the client is told all the same.
        {"the directory cannot be flushed", RLIM_INFINITY, S_IFDIR, upload},
    };
    std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ServiceHarness service;
        WriteWholeFile(service.WritePath("full"), "old");
        Peer peer(service.port);
        peer.Send(RequestPacket(2, "full"));
        ASSERT_EQ(peer.Receive(), AckPacket(0));
        std::optional<std::string> reply;
        {
            SoftLimit limit(RLIMIT_FSIZE, c.fileSizeLimit);
            g_failingFlush = c.failingFlush;
            peer.Send(DataPacket(1, upload.substr(0, 512)));
            EXPECT_EQ(peer.Receive(), AckPacket(1));
            peer.Send(DataPacket(2, upload.substr(512)));
            reply = peer.Receive();
            g_failingFlush = 0;
        }
        // Each block reaches the file, and the file the disk, before its ACK.
        EXPECT_EQ(reply, ErrorPacket(3, "Disk full or allocation exceeded"));
        EXPECT_EQ(service.status.Last(), "Write Failed for Block 2");
        EXPECT_EQ(service.TableSize(), 0);
        EXPECT_EQ(ReadWholeFile(service.WritePath("full")), c.afterwards);
        EXPECT_EQ(service.WriteDirEntries(), std::vector<std::string>{"full"});
    }
}
