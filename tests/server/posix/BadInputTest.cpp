// Names that lead elsewhere by means of Linux's own: symbolic links, mounts
// in a namespace of a user's own, and files that are no regular files.
#include "tests/server/support/ServiceHarness.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const std::string outside = service.root.FilePath("outside");
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
        {service.root.FilePath("searchlink"), search0},
    };
    ASSERT_TRUE(elsewhere.Ready()) << "a user and mount namespace could not be made";
    for (const auto& l : links)
        ASSERT_EQ(symlink(l.target.c_str(), l.link.c_str()), 0) << l.link;
    service.searchDirs = {service.root.FilePath("searchlink"), service.SearchDir(1)};
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

TEST(BadInput, FifosAreNeitherServedNorWritten)
{
    ServiceHarness service;
    ASSERT_EQ(mkfifo((service.SearchDir(0) + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(service.WritePath("fifo").c_str(), 0600), 0);
    Peer peer(service.port);
    peer.Send(RequestPacket(1, "fifo"));
    EXPECT_EQ(peer.Receive(), ErrorPacket(1, "File not found"));
    peer.Send(RequestPacket(2, "fifo"));
    EXPECT_EQ(peer.Receive(), ErrorPacket(3, "File Open Failed"));
    EXPECT_EQ(service.TableSize(), 0);
}
