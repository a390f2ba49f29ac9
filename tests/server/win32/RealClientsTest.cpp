// The service under wine, on port 69 of this test's own network, with its
// settings read from wine's registry, against Linux's own TFTP clients:
// tftp-hpa's tftp and curl, started from here as the Linux programs they are.
#include "platform/win32/WideText.h"
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

// Folders whose names no ANSI code page holds all of: Cyrillic, fullwidth
// Latin letters and CJK characters. Each is served, and the write directory is
// the Cyrillic one.
const std::vector<std::string> kWideFolders{"Загрузки", "ｃｏｎｆｉｇ", "启动映像"};

std::string Folder(const std::string& name)
{
    return kRoot.string() + "\\" + name;
}

// Settings saved to the registry and read back into the fields that the
// service on port 69 serves from, as the program loads them, unchanged.
bool LoadSettingsThroughRegistry(ServiceHarness& service)
{
    fs::remove_all(kRoot);
    std::string writeDir = Folder(kWideFolders[0]);
    int enableWrite = 1, runMinimized = 0;
    std::vector<std::string> searchDirs{Folder("search")};
    for (const std::string& name : kWideFolders)
        searchDirs.push_back(Folder(name));
    for (const std::string& folder : searchDirs)
        fs::create_directories(fs::path(WidenUtf8(folder)));
    WriteSettingsToRegistry({writeDir, enableWrite, runMinimized, searchDirs});
    service.searchDirs.clear();
    service.writeDir.clear();
    return ReadSettingsFromRegistry({service.writeDir, service.enableWrite, runMinimized, service.searchDirs})
        && service.writeDir == writeDir && service.searchDirs == searchDirs;
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
    // Uploads go to the first of the folders named in other scripts.
    const std::string write = Folder(kWideFolders[0]) + "\\";
    for (const auto& client : clients) {
        const std::string local = "by-" + client.name, remote = client.name + "-up.bin";
        EXPECT_EQ(run(client.get, local), 0) << client.name;
        EXPECT_EQ(ReadWholeFile((kRoot / local).string()), served) << client.name;
        EXPECT_EQ(run(client.put, remote), 0) << client.name;
        EXPECT_EQ(ReadWholeFile(write + remote), uploaded) << client.name;
    }

    for (std::size_t i = 0; i < kWideFolders.size(); ++i) {
        SCOPED_TRACE(kWideFolders[i]);
        const std::string name = "in-" + std::to_string(i), bytes = "served from " + kWideFolders[i];
        WriteWholeFile(Folder(kWideFolders[i]) + "\\" + name, bytes);
        EXPECT_EQ(RunLinux(tftp + "get " + name + " " + kUnixRoot + "/" + name, kUnixRoot), 0);
        EXPECT_EQ(ReadWholeFile((kRoot / name).string()), bytes);
    }

    // A link made on the Linux side, which leads out of the search directory.
    ASSERT_EQ(RunLinux("ln -s " + kUnixRoot + "/up.bin " + search + "/out", kUnixRoot), 0);
    EXPECT_NE(RunLinux("curl -sS -o " + kUnixRoot + "/out tftp://127.0.0.1/out", kUnixRoot), 0);
    EXPECT_FALSE(fs::exists(kRoot / "out") && fs::file_size(kRoot / "out") > 0);

    service.enableWrite = 0;
    EXPECT_NE(RunLinux("curl -sS -T " + kUnixRoot + "/up.bin tftp://127.0.0.1/refused.bin", kUnixRoot), 0);
    EXPECT_FALSE(fs::exists(fs::path(WidenUtf8(write + "refused.bin"))));
}
