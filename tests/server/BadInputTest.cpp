// Malformed, hostile and unplaceable datagrams: each is answered as the
// service defines, and the service goes on serving afterwards.
#include "support/ServiceHarness.h"

#include "platform/MessageBox.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

static void ExpectStillServing(ServiceHarness& service)
{
    service.PutFile(0, "probe", "still here");
    Peer peer(service.port);
    EXPECT_EQ(peer.Download("probe"), "still here");
}

TEST(BadInput, ShortAndOversizedDatagrams)
{
    const struct {
        std::string datagram;
        std::vector<std::string> boxes;
    } cases[] = {
        {std::string(), {}},
        {std::string(1, '\0'), {"Unknown Opcode aa"}}, // opcode 0x00AA from the fill bytes
        {std::string("\0\4", 2), {}},                  // ACK 0xAAAA with no transfer
        {std::string("\0\3\1", 3), {}},                // DATA shorter than its header
        {std::string("\0\5", 2), {"Received Error #aaaa for "}},
        {RequestPacket(2, std::string(1019, 'n')), {}}, // 1025 bytes: dropped whole
    };
    for (const auto& c : cases) {
        ServiceHarness service;
        Peer peer(service.port);
        peer.Send(c.datagram);
        EXPECT_TRUE(peer.Drain().empty()) << c.datagram.size();
        EXPECT_EQ(service.boxes, c.boxes) << c.datagram.size();
        EXPECT_TRUE(service.status.texts.empty()) << c.datagram.size();
        ExpectStillServing(service);
    }
}

TEST(BadInput, ShortDataLeavesWriteTransferAlone)
{
    ServiceHarness service;
    Peer peer(service.port);
    peer.Send(RequestPacket(2, "w"));
    ASSERT_EQ(peer.Receive(), AckPacket(0));
    for (const char* shortData : {"\0\3", "\0\3\0"}) {
        peer.Send(std::string(shortData, std::strlen(shortData + 1) + 2));
        EXPECT_TRUE(peer.Drain().empty());
    }
    EXPECT_EQ(service.status.texts, std::vector<std::string>{"Write File for w"});
    EXPECT_EQ(service.TableSize(), 1);
    EXPECT_EQ(service.server.Head()->block, 0);
}

TEST(BadInput, StringsWithoutZeroByteEndAtDatagramEnd)
{
    ServiceHarness service;
    service.PutFile(0, "name", "served");
    Peer peer(service.port);

    peer.Send(std::string("\0\1name", 6));
    auto data = peer.Receive();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->substr(4), "served");
    peer.Send(AckPacket(1));

    peer.Send(std::string("\0\2made", 6));
    EXPECT_EQ(peer.Receive(), AckPacket(0));
    EXPECT_EQ(service.status.Last(), "Write File for made");
    peer.Send(DataPacket(1, "m"));
    EXPECT_EQ(peer.Receive(), AckPacket(1));
    EXPECT_EQ(ReadWholeFile(service.WritePath("made")), "m");

    peer.Send(std::string("\0\5\0\1oops", 8));
    peer.Drain();
    EXPECT_EQ(service.boxes, std::vector<std::string>{"Received Error #1 for oops"});
}

TEST(BadInput, UnknownOpcodesAreShownInBox)
{
    ServiceHarness service;
    Peer peer(service.port);
    for (const std::string& datagram : {std::string("\0\0\0\1", 4), std::string("\0\6xyz", 5), std::string("\xff\xff")})
        peer.Send(datagram);
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_EQ(service.boxes, (std::vector<std::string>{"Unknown Opcode 0", "Unknown Opcode 6", "Unknown Opcode ffff"}));
    ExpectStillServing(service);
}

TEST(BadInput, UnsafeNamesAreRefused)
{
    ServiceHarness service;
    // Files an unchecked join would reach from search0 and from write.
    WriteWholeFile(service.root.filePath("x").toStdString(), "outside");
    for (const std::string name : {"../x", "a/../../x", "..\\x", "/../x", "\\\\server\\x", "C:x", "sub/..", ".."}) {
        for (std::uint16_t opcode : {1, 2}) {
            Peer peer(service.port);
            peer.Send(RequestPacket(opcode, name));
            auto reply = peer.Receive();
            EXPECT_EQ(reply, ErrorPacket(2, "Access violation")) << name;
            EXPECT_EQ(reply->size(), 21u);
            EXPECT_EQ(service.status.Last(), "Rejected Unsafe Name " + name);
            EXPECT_EQ(service.TableSize(), 0);
        }
    }
    EXPECT_EQ(ReadWholeFile(service.root.filePath("x").toStdString()), "outside");
    // Dots that are not a parent step are ordinary names, and leading
    // separators only say the name starts at its directory.
    service.PutFile(0, "..hidden", "a");
    service.PutFile(0, "a..b", "b");
    Peer peer(service.port);
    EXPECT_EQ(peer.Download("..hidden"), "a");
    EXPECT_EQ(peer.Download("/a..b"), "b");
    EXPECT_EQ(peer.Download("/\\//a..b"), "b");
}

// A process in a user and mount namespace of its own, which any user may
// make, where source is bind-mounted on each of targets. Through its
// /proc/<pid>/root, a path inside a served directory leads to source.
class BindMountNamespace {
public:
    BindMountNamespace(const std::string& source, const std::vector<std::string>& targets)
    {
        QStringList arguments{"--user",
                              "--map-root-user",
                              "--mount",
                              "sh",
                              "-c",
                              "source=$1; shift; for target; do mount --bind \"$source\" \"$target\" || exit 1; done;"
                              " echo ready; exec sleep 600",
                              "sh",
                              QString::fromStdString(source)};
        for (const std::string& target : targets)
            arguments << QString::fromStdString(target);
        m_process.start("unshare", arguments);
        m_ready = m_process.waitForReadyRead(10000) && m_process.readAll() == "ready\n";
    }
    ~BindMountNamespace()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool Ready() const { return m_ready; }
    std::string Root() const { return "/proc/" + std::to_string(m_process.processId()) + "/root"; }

private:
    QProcess m_process;
    bool m_ready = false;
};

TEST(BadInput, SymlinksNeverLeadOutOfTheirDirectory)
{
    ServiceHarness service;
    const std::string outside = service.root.filePath("outside").toStdString();
    QDir().mkdir(QString::fromStdString(outside));
    WriteWholeFile(outside + "/secret", "outside");
    const std::string search0 = service.SearchDir(0);
    QDir().mkdir(QString::fromStdString(search0 + "/sub"));
    service.PutFile(0, "sub/file", "inside");
    service.PutFile(1, "escape", "from second");
    QDir().mkdir(QString::fromStdString(search0 + "-sibling"));
    WriteWholeFile(search0 + "-sibling/secret", "sibling");
    // In a namespace of its own, a user mounts the outside folder on a path
    // inside each served directory and links to it through the namespace.
    QDir().mkdir(QString::fromStdString(search0 + "/mnt"));
    QDir().mkdir(QString::fromStdString(service.WritePath("mnt")));
    const BindMountNamespace elsewhere(outside, {search0 + "/mnt", service.WritePath("mnt")});
    const struct {
        std::string link;
        std::string target;
    } links[] = {
        {search0 + "/escape", "../outside/secret"},
        {search0 + "/abs", outside + "/secret"},
        {search0 + "/outdir", outside},
        {search0 + "/sibling", "../search0-sibling/secret"},
        {search0 + "/magic", elsewhere.Root() + search0 + "/mnt/secret"},
        {service.WritePath("magicdir"), elsewhere.Root() + service.WritePath("mnt")},
        {search0 + "/rel", "sub/file"},
        {search0 + "/absin", search0 + "/sub/file"},
        {search0 + "/climb", "../search0/sub/file"},
        {service.WritePath("link"), outside + "/secret"},
        {service.WritePath("outdir"), outside},
        {service.root.filePath("searchlink").toStdString(), search0},
    };
    ASSERT_TRUE(elsewhere.Ready()) << "a user and mount namespace could not be made";
    for (const auto& l : links)
        ASSERT_EQ(symlink(l.target.c_str(), l.link.c_str()), 0) << l.link;
    service.searchDirs = {service.root.filePath("searchlink").toStdString(), service.SearchDir(1)};
    Peer peer(service.port);

    // A link that leads out counts as no file here, and the search goes on.
    EXPECT_EQ(peer.Download("escape"), "from second");
    for (const char* name : {"abs", "outdir/secret", "sibling", "magic"}) {
        peer.Send(RequestPacket(1, name));
        EXPECT_EQ(peer.Receive(), ErrorPacket(1, "File not found")) << name;
    }
    // Links that stay inside are followed, the configured directory's own too.
    for (const char* name : {"rel", "absin", "climb", "sub/file"})
        EXPECT_EQ(peer.Download(name), "inside") << name;

    // An upload through a link out is refused; a link at the name is replaced.
    for (const std::string name : {"outdir/new", "magicdir/new"}) {
        peer.Send(RequestPacket(2, name));
        EXPECT_EQ(peer.Receive(), ErrorPacket(2, "Access violation")) << name;
        EXPECT_EQ(service.status.Last(), "Rejected Unsafe Name " + name);
    }
    EXPECT_EQ(peer.Upload("link", "uploaded"), 0);
    EXPECT_EQ(ReadWholeFile(service.WritePath("link")), "uploaded");
    EXPECT_FALSE(QFileInfo(QString::fromStdString(service.WritePath("link"))).isSymLink());
    EXPECT_EQ(QDir(QString::fromStdString(outside)).entryList(QDir::Files), QStringList{"secret"});
    EXPECT_EQ(ReadWholeFile(outside + "/secret"), "outside");
}

TEST(BadInput, OnlyRegularFilesAreServedOrWritten)
{
    ServiceHarness service;
    QDir(QString::fromStdString(service.SearchDir(0))).mkdir("dir");
    service.PutFile(1, "dir", "regular in second");
    ASSERT_EQ(mkfifo((service.SearchDir(0) + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(service.WritePath("fifo").c_str(), 0600), 0);
    QDir(QString::fromStdString(service.writeDir)).mkdir("dir");
    Peer peer(service.port);

    EXPECT_EQ(peer.Download("dir"), "regular in second");
    peer.Send(RequestPacket(1, "fifo"));
    EXPECT_EQ(peer.Receive(), ErrorPacket(1, "File not found"));
    peer.Send(RequestPacket(1, ""));
    EXPECT_EQ(peer.Receive(), ErrorPacket(1, "File not found"));
    for (const char* name : {"fifo", "dir", ""}) {
        peer.Send(RequestPacket(2, name));
        EXPECT_EQ(peer.Receive(), ErrorPacket(3, "File Open Failed")) << name;
    }
    EXPECT_EQ(service.TableSize(), 0);
}

TEST(BadInput, AtMostFourBoxesOpenAtOnce)
{
    ServiceHarness service;
    int open = 0;
    int mostOpen = 0;
    int shown = 0;
    // Each box stays open for a while, running a loop as a real one does.
    AfxSetMessageBoxSeam([&](const std::string&, const std::string&) {
        ++shown;
        mostOpen = std::max(mostOpen, ++open);
        QEventLoop loop;
        QTimer::singleShot(200, &loop, &QEventLoop::quit);
        loop.exec();
        --open;
        return IDOK;
    });
    Peer peer(service.port);
    std::vector<std::string> record;
    {
        StandardErrorCapture capture;
        for (int i = 0; i < 10; ++i)
            peer.Send(ErrorPacket(static_cast<std::uint16_t>(i), "flood"));
        PumpEvents(1200);
        record = capture.Lines();
    }
    EXPECT_EQ(mostOpen, 4);
    EXPECT_EQ(shown, 4);
    // Every one is said on the record; those beyond the four boxes on the status line.
    EXPECT_EQ(std::count_if(
                  record.begin(), record.end(),
                  [](const std::string& line) { return line.find(" message: Received Error #") != std::string::npos; }),
              10);
    EXPECT_EQ(service.status.Last(), "Received Error #9 for flood");
    ExpectStillServing(service);
}
