// The service under wine, on port 69 of this test's own network, with its
// settings read from wine's registry, against Linux's own TFTP clients:
// tftp-hpa's tftp and curl, started from here as the Linux programs they are.
#include "settings/SettingsStore.h"
#include "tests/server/support/ServiceHarness.h"
#include "tests/support/win32/LinuxCommand.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// Z: is the root of the Linux filesystem under wine; the test's /tmp is its own.
const fs::path kRoot = "Z:\\tmp\\clients";
const std::string kUnixRoot = "/tmp/clients";

// Settings saved to the registry and read back into the fields that the
// service on port 69 serves from, as the program loads them.
bool LoadSettingsThroughRegistry(ServiceHarness& service)
{
    fs::remove_all(kRoot);
    fs::create_directories(kRoot / "search");
    fs::create_directories(kRoot / "write");
    std::string writeDir = (kRoot / "write").string();
    int enableWrite = 1, runMinimized = 0;
    std::vector<std::string> searchDirs{(kRoot / "search").string()};
    WriteSettingsToRegistry({writeDir, enableWrite, runMinimized, searchDirs});
    service.searchDirs.clear();
    return ReadSettingsFromRegistry({service.writeDir, service.enableWrite, runMinimized, service.searchDirs});
}

} // namespace

TEST(RealClients, DownloadsUploadsAndRefusalsWithAndWithoutOptions)
{
    ServiceHarness service(69, true);
    ASSERT_TRUE(LoadSettingsThroughRegistry(service));
    ASSERT_TRUE(service.boxes.empty()) << service.boxes.front();
    const std::string served = RandomBytes(70000, 1), uploaded = RandomBytes(1500, 2);
    WriteWholeFile((kRoot / "search" / "boot.bin").string(), served);
    WriteWholeFile((kRoot / "up.bin").string(), uploaded);
    const std::string search = kUnixRoot + "/search", tftp = "tftp -m binary 127.0.0.1 -c ";
    const std::string atftp = "atftp --option 'blksize 1468' --option 'windowsize 16' --option tsize ";
    // Each client's command for a download to @, and the one for an upload
    // of up.bin as @.
    const struct {
        std::string name, get, put;
    } clients[] = {
        {"tftp", tftp + "get boot.bin @", tftp + "put up.bin @"},
        {"curl", "curl -sS -o @ tftp://127.0.0.1/boot.bin", "curl -sS -T up.bin tftp://127.0.0.1/@"},
        {"curl-blksize", "curl -sS --tftp-blksize 1468 -o @ tftp://127.0.0.1/boot.bin",
         "curl -sS --tftp-blksize 1468 -T up.bin tftp://127.0.0.1/@"},
        {"busybox-blksize", "busybox tftp -b 1468 -g -r boot.bin -l @ 127.0.0.1",
         "busybox tftp -b 1468 -p -l up.bin -r @ 127.0.0.1"},
        {"atftp-window", atftp + "-g -r boot.bin -l @ 127.0.0.1", atftp + "-p -l up.bin -r @ 127.0.0.1"},
    };
    const auto run = [](std::string command, const std::string& name) {
        command.replace(command.find('@'), 1, name);
        return RunLinux("cd " + kUnixRoot + " && " + command, kUnixRoot);
    };
    for (const auto& client : clients) {
        const std::string local = "by-" + client.name, remote = client.name + "-up.bin";
        EXPECT_EQ(run(client.get, local), 0) << client.name;
        EXPECT_EQ(ReadWholeFile((kRoot / local).string()), served) << client.name;
        EXPECT_EQ(run(client.put, remote), 0) << client.name;
        EXPECT_EQ(ReadWholeFile((kRoot / "write" / remote).string()), uploaded) << client.name;
    }

    // A link made on the Linux side, which leads out of the search directory.
    ASSERT_EQ(RunLinux("ln -s " + kUnixRoot + "/up.bin " + search + "/out", kUnixRoot), 0);
    EXPECT_NE(RunLinux("curl -sS -o " + kUnixRoot + "/out tftp://127.0.0.1/out", kUnixRoot), 0);
    EXPECT_FALSE(fs::exists(kRoot / "out") && fs::file_size(kRoot / "out") > 0);

    service.enableWrite = 0;
    EXPECT_NE(RunLinux("curl -sS -T " + kUnixRoot + "/up.bin tftp://127.0.0.1/refused.bin", kUnixRoot), 0);
    EXPECT_FALSE(fs::exists(kRoot / "write" / "refused.bin"));
}
