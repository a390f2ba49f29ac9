// Real TFTP clients against the service on port 69, inside a private network
// namespace: downloads and uploads arrive byte-identical, refusals as errors.
#include "support/Clients.h"
#include "support/ChildProcess.h"
#include "tests/server/support/ServiceHarness.h"
#include "tests/server/support/StandardErrorCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kClientTimeoutMs = 120000;
const std::size_t kSizes[] = {0, 1, 511, 512, 513, 1000000};

class Clients : public testing::Test {
protected:
    QString Local(const QString& name) const { return scratch.filePath(name); }

    ServiceHarness service{69, true};
    QTemporaryDir scratch;
};

} // namespace

TEST_F(Clients, DownloadsArriveByteIdentical)
{
    for (const TftpClient& client : TftpClients()) {
        for (std::size_t size : kSizes) {
            if (size == 0 && !client.downloadsEmptyFiles)
                continue;
            const std::string name = "down" + std::to_string(size);
            const std::string bytes = RandomBytes(size, static_cast<unsigned>(size + 1));
            service.PutFile(1, name, bytes);
            const QString local = Local(client.name + QString::fromStdString(name));
            QString output;
            const int code = RunProgram(client.program, client.get(QString::fromStdString(name), local),
                                        kClientTimeoutMs, &output);
            EXPECT_EQ(code, 0) << client.name.toStdString() << " " << size << ": " << output.toStdString();
            EXPECT_TRUE(ReadWholeFile(local.toStdString()) == bytes) << client.name.toStdString() << " " << size;
        }
    }
    EXPECT_EQ(service.TableSize(), 0);
}

TEST_F(Clients, UploadsArriveByteIdentical)
{
    for (const TftpClient& client : TftpClients()) {
        for (std::size_t size : kSizes) {
            const std::string bytes = RandomBytes(size, static_cast<unsigned>(size + 2));
            const QString local = Local("up" + QString::number(size));
            WriteWholeFile(local.toStdString(), bytes);
            const QString remote = client.name + "-up" + QString::number(size);
            QString output;
            const int code = RunProgram(client.program, client.put(local, remote), kClientTimeoutMs, &output);
            EXPECT_EQ(code, 0) << client.name.toStdString() << " " << size << ": " << output.toStdString();
            EXPECT_TRUE(ReadWholeFile(service.WritePath(remote.toStdString())) == bytes)
                << client.name.toStdString() << " " << size;
        }
    }
    EXPECT_EQ(service.TableSize(), 0);
}

TEST_F(Clients, MissingFileAndRefusedWriteReachClientsAsErrors)
{
    WriteWholeFile(Local("payload").toStdString(), "payload");
    service.enableWrite = 0;
    for (const TftpClient& client : TftpClients()) {
        QString output;
        const QString local = Local(client.name + "-missing");
        const int getCode = RunProgram(client.program, client.get("no-such-file", local), kClientTimeoutMs, &output);
        EXPECT_TRUE(getCode != 0 || output.contains("Error"))
            << client.name.toStdString() << ": " << output.toStdString();
        EXPECT_EQ(service.status.Last(), "Unknown File no-such-file");

        const int putCode
            = RunProgram(client.program, client.put(Local("payload"), "refused"), kClientTimeoutMs, &output);
        EXPECT_TRUE(putCode != 0 || output.contains("Error"))
            << client.name.toStdString() << ": " << output.toStdString();
        EXPECT_FALSE(QFile::exists(QString::fromStdString(service.WritePath("refused"))));
    }
    EXPECT_EQ(service.status.Last(), "Write Rejected for refused");
}

TEST_F(Clients, FilesOfMoreThan65535BlocksArriveWholeBothWays)
{
    const std::string bytes = RandomBytes(40000000, 40);
    service.PutFile(0, "huge", bytes);
    QString output;
    const QString local = Local("huge");
    EXPECT_EQ(RunProgram("tftp", TftpClients()[0].get("huge", local), 600000, &output), 0) << output.toStdString();
    EXPECT_TRUE(ReadWholeFile(local.toStdString()) == bytes);
    for (const TftpClient& client : {TftpClients()[0], TftpClients()[1]}) {
        const QString remote = client.name + "-huge";
        EXPECT_EQ(RunProgram(client.program, client.put(local, remote), 600000, &output), 0) << output.toStdString();
        EXPECT_TRUE(ReadWholeFile(service.WritePath(remote.toStdString())) == bytes) << client.name.toStdString();
    }
}

TEST_F(Clients, NothingOutsideIsReachedAndAFailedUploadKeepsTheOldFile)
{
    const TftpClient& tftp = TftpClients()[0];
    const std::string outside = Local("outside").toStdString();
    WriteWholeFile(outside, "outside");
    ASSERT_EQ(symlink(outside.c_str(), (service.SearchDir(0) + "/escape").c_str()), 0);
    ASSERT_EQ(symlink(scratch.path().toLocal8Bit().constData(), service.WritePath("out").c_str()), 0);
    const QString small = QString::fromStdString(service.WritePath("small"));
    QDir().mkdir(small);
    RunSetup("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", small});
    WriteWholeFile(service.WritePath("small/firmware"), "old firmware");
    WriteWholeFile(Local("big").toStdString(), RandomBytes(200000, 41));
    QString output;

    // tftp-hpa's client says so, though its exit code is 0 whatever happens.
    RunProgram("tftp", tftp.get("escape", Local("got")), kClientTimeoutMs, &output);
    EXPECT_TRUE(output.contains("File not found")) << output.toStdString();
    RunProgram("tftp", tftp.put(Local("big"), "out/outside"), kClientTimeoutMs, &output);
    EXPECT_TRUE(output.contains("Access violation")) << output.toStdString();
    RunProgram("tftp", tftp.put(Local("big"), "small/firmware"), kClientTimeoutMs, &output);
    EXPECT_TRUE(output.contains("Disk full")) << output.toStdString();
    // An upload that announces its size is refused before any file is made;
    // curl says so by its exit code for a full disk, 70.
    const TftpClient& announcing = TftpClients()[3];
    const std::string writeDir = std::exchange(service.writeDir, small.toStdString());
    EXPECT_EQ(RunProgram("curl", announcing.put(Local("big"), "firmware"), kClientTimeoutMs, &output), 70);
    EXPECT_EQ(service.status.Last(), "Disk Full for firmware");
    service.writeDir = writeDir;

    EXPECT_EQ(ReadWholeFile(outside), "outside");
    EXPECT_EQ(ReadWholeFile(service.WritePath("small/firmware")), "old firmware");
    EXPECT_EQ(QDir(small).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"firmware"});
    RunSetup("umount", {small});
}

// Runs nft in this namespace, or through ip in the client's namespace.
static void Nft(const QStringList& inNamespace, const QStringList& arguments)
{
    if (inNamespace.isEmpty())
        RunSetup("nft", arguments);
    else
        RunSetup("ip", inNamespace + QStringList{"nft"} + arguments);
}

// Drops every datagram from port 69 that belongs to no exchange the client
// started, as a stateful firewall or a NAT in front of a client does.
static void AddStatefulFirewall(const QStringList& inNamespace)
{
    Nft(inNamespace, {"add", "table", "inet", "firewall"});
    Nft(inNamespace, {"add", "chain", "inet", "firewall", "input", "{ type filter hook input priority 0; }"});
    Nft(inNamespace, {"add", "rule", "inet", "firewall", "input", "udp", "sport", "69", "ct", "state", "new", "drop"});
}

// The client's arguments for another server address than the loopback one.
static QStringList ToHost(QStringList arguments, const QString& host)
{
    for (QString& argument : arguments) {
        argument.replace(ServerUrl(ServerHost()), ServerUrl(host));
        if (argument == ServerHost())
            argument = host;
    }
    return arguments;
}

TEST_F(Clients, RepliesLeaveFromTheAddressTheRequestWasSentTo)
{
    const std::string bytes = RandomBytes(3000, 42);
    service.PutFile(0, "addressed", bytes);
    const QStringList inClient{"netns", "exec", "vantrel-client"};
    RunSetup("ip", {"netns", "add", "vantrel-client"});
    RunSetup("ip", {"link", "add", "vantrel0", "type", "veth", "peer", "name", "vantrel1", "netns", "vantrel-client"});
    for (const char* address : {"10.77.0.1/24", "10.77.0.2/24", "fd77::1/64", "fd77::2/64", "fe80::77:2/64"})
        RunSetup("ip", {"addr", "add", address, "dev", "vantrel0", "nodad"});
    RunSetup("ip", {"link", "set", "vantrel0", "up"});
    for (const char* address : {"10.77.0.10/24", "fd77::10/64"})
        RunSetup("ip", inClient + QStringList{"ip", "addr", "add", address, "dev", "vantrel1", "nodad"});
    RunSetup("ip", inClient + QStringList{"ip", "link", "set", "vantrel1", "up"});
    AddStatefulFirewall({});
    AddStatefulFirewall(inClient);

    // Over IPv6 as well: an IPv4 address asked in its IPv4-mapped form, and a
    // link-local address with the scope of the client's interface.
    struct Route {
        QString host;
        QStringList runIn;
    };
    const bool overIPv6 = ServerHost().contains(':');
    const std::vector<Route> routes = overIPv6
        ? std::vector<Route>{{"::ffff:127.0.0.2", {}}, {"fd77::2", inClient}, {"fe80::77:2%vantrel1", inClient}}
        : std::vector<Route>{{"127.0.0.2", {}}, {"10.77.0.2", inClient}};
    StandardErrorCapture record;
    for (const Route& route : routes) {
        for (const TftpClient& client : {TftpClients()[0], TftpClients()[1]}) {
            // tftp-hpa's client drops an address's scope ("Network is unreachable").
            if (route.host.contains('%') && client.name == "tftp-hpa")
                continue;
            const QString local = Local(client.name + "-" + route.host);
            QStringList command = ToHost(client.get("addressed", local), route.host);
            QString program = client.program;
            if (!route.runIn.isEmpty()) {
                command = route.runIn + QStringList{program} + command;
                program = "ip";
            }
            QString output;
            EXPECT_EQ(RunProgram(program, command, 30000, &output), 0)
                << client.name.toStdString() << " to " << route.host.toStdString() << ": " << output.toStdString();
            EXPECT_TRUE(ReadWholeFile(local.toStdString()) == bytes)
                << client.name.toStdString() << " to " << route.host.toStdString() << ": " << output.toStdString();
        }
    }
    // An IPv4 client is named as IPv4 writes it, whatever form it asked in.
    for (const std::string& line : record.Lines())
        EXPECT_EQ(line.find("::ffff:"), std::string::npos) << line;

    // Over the veth's Ethernet MTU no block is larger than one datagram
    // carries, less the headers of the family it goes over.
    const QString host = overIPv6 ? "fd77::2" : "10.77.0.2";
    const QString local = Local("largest");
    QString output;
    EXPECT_EQ(RunProgram("ip",
                         inClient
                             + QStringList{"curl", "-sS", "--tftp-blksize", "65464", "-o", local,
                                           ServerUrl(host) + "addressed"},
                         30000, &output),
              0)
        << output.toStdString();
    EXPECT_TRUE(ReadWholeFile(local.toStdString()) == bytes);
    const std::string request = record.Lines().at(record.Lines().size() - 2);
    EXPECT_EQ(request.substr(request.find('"')),
              overIPv6 ? "\"addressed\" read request (tsize 3000, blksize 1448, timeout 6)"
                       : "\"addressed\" read request (tsize 3000, blksize 1468, timeout 6)");
    Nft({}, {"delete", "table", "inet", "firewall"});
    RunSetup("ip", {"netns", "del", "vantrel-client"});
}
