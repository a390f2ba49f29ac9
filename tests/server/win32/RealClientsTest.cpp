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

TEST(RealClients, DownloadsUploadsAndRefusalsWithTftpAndCurl)
{
    ServiceHarness service(69, true);
    ASSERT_TRUE(LoadSettingsThroughRegistry(service));
    ASSERT_TRUE(service.boxes.empty()) << service.boxes.front();
    const std::string served = RandomBytes(70000, 1), uploaded = RandomBytes(1500, 2);
    WriteWholeFile((kRoot / "search" / "boot.bin").string(), served);
    WriteWholeFile((kRoot / "up.bin").string(), uploaded);
    const std::string search = kUnixRoot + "/search", tftp = "tftp -m binary 127.0.0.1 -c ";

    EXPECT_EQ(RunLinux(tftp + "get boot.bin " + kUnixRoot + "/by-tftp", kUnixRoot), 0);
    EXPECT_EQ(ReadWholeFile((kRoot / "by-tftp").string()), served);
    EXPECT_EQ(RunLinux("curl -sS -o " + kUnixRoot + "/by-curl tftp://127.0.0.1/boot.bin", kUnixRoot), 0);
    EXPECT_EQ(ReadWholeFile((kRoot / "by-curl").string()), served);

    EXPECT_EQ(RunLinux(tftp + "put " + kUnixRoot + "/up.bin tftp-up.bin", kUnixRoot), 0);
    EXPECT_EQ(ReadWholeFile((kRoot / "write" / "tftp-up.bin").string()), uploaded);
    EXPECT_EQ(RunLinux("curl -sS -T " + kUnixRoot + "/up.bin tftp://127.0.0.1/curl-up.bin", kUnixRoot), 0);
    EXPECT_EQ(ReadWholeFile((kRoot / "write" / "curl-up.bin").string()), uploaded);

    // A link made on the Linux side, which leads out of the search directory.
    ASSERT_EQ(RunLinux("ln -s " + kUnixRoot + "/up.bin " + search + "/out", kUnixRoot), 0);
    EXPECT_NE(RunLinux("curl -sS -o " + kUnixRoot + "/out tftp://127.0.0.1/out", kUnixRoot), 0);
    EXPECT_FALSE(fs::exists(kRoot / "out") && fs::file_size(kRoot / "out") > 0);

    service.enableWrite = 0;
    EXPECT_NE(RunLinux("curl -sS -T " + kUnixRoot + "/up.bin tftp://127.0.0.1/refused.bin", kUnixRoot), 0);
    EXPECT_FALSE(fs::exists(kRoot / "write" / "refused.bin"));
}
