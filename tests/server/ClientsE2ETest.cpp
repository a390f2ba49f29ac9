// Real TFTP clients against the service on port 69, inside a private network
// namespace: downloads and uploads arrive byte-identical, refusals as errors.
#include "support/Clients.h"
#include "support/ServiceHarness.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

constexpr int kClientTimeoutMs = 120000;
const std::size_t kSizes[] = {0, 1, 511, 512, 513, 1000000};

class ClientsE2E : public testing::Test {
protected:
    QString Local(const QString& name) const { return scratch.filePath(name); }

    ServiceHarness service{69, true};
    QTemporaryDir scratch;
};

} // namespace

TEST_F(ClientsE2E, DownloadsArriveByteIdentical)
{
    for (const TftpClient& client : TftpClients()) {
        for (std::size_t size : kSizes) {
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

TEST_F(ClientsE2E, UploadsArriveByteIdentical)
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

TEST_F(ClientsE2E, MissingFileAndRefusedWriteReachClientsAsErrors)
{
    WriteWholeFile(Local("payload").toStdString(), "payload");
    service.enableWrite = 0;
    for (const TftpClient& client : TftpClients()) {
        QString output;
        const QString local = Local(client.name + "-missing");
        const int getCode = RunProgram(client.program, client.get("no-such-file", local), kClientTimeoutMs, &output);
        EXPECT_TRUE(getCode != 0 || output.contains("Error")) << client.name.toStdString() << ": " << output.toStdString();
        EXPECT_EQ(service.status.Last(), "Unknown File no-such-file");

        const int putCode = RunProgram(client.program, client.put(Local("payload"), "refused"), kClientTimeoutMs, &output);
        EXPECT_TRUE(putCode != 0 || output.contains("Error")) << client.name.toStdString() << ": " << output.toStdString();
        EXPECT_FALSE(QFile::exists(QString::fromStdString(service.WritePath("refused"))));
    }
    EXPECT_EQ(service.status.Last(), "Write Rejected for refused");
}

TEST_F(ClientsE2E, FileOfMoreThan65535BlocksArrivesWhole)
{
    const std::string bytes = RandomBytes(40000000, 40);
    service.PutFile(0, "huge", bytes);
    QString output;
    const QString local = Local("huge");
    EXPECT_EQ(RunProgram("tftp", TftpClients()[0].get("huge", local), 600000, &output), 0) << output.toStdString();
    EXPECT_TRUE(ReadWholeFile(local.toStdString()) == bytes);
}
