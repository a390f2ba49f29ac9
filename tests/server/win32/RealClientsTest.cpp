// The service under wine, on port 69 of this test's own network, with its
// settings read from wine's registry, against Linux's own TFTP clients:
// tftp-hpa's tftp, curl, busybox's tftp and atftp, started from here as the
// Linux programs they are, over IPv4's loopback or IPv6's. The one socket
// serves both; scripts/wine-test may run the IPv4 case on a system without
// IPv6 (WINE_TEST_IPV6=off).
#include "platform/win32/WideText.h"
#include "settings/SettingsStore.h"
#include "tests/server/support/ServiceHarness.h"
#include "tests/server/support/StandardErrorCapture.h"
#include "tests/support/win32/LinuxCommand.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

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

// The loopback address the clients reach the service at.
struct Loopback {
    const char* name;
    std::string address;
    // The peer as the record writes it, up to the port.
    std::string recordedPeer;
    // The address in a URL.
    std::string Url() const { return address.find(':') == std::string::npos ? address : "[" + address + "]"; }
};

const Loopback kIPv4{"IPv4", "127.0.0.1", R"(127\.0\.0\.1)"};
const Loopback kIPv6{"IPv6", "::1", R"(\[::1\])"};

// The record's lines, each of which names a peer in one of the forms given:
// an IPv4 peer exactly as IPv4 writes it, never as an IPv6-mapped address.
std::vector<std::string> RecordedPeers(const StandardErrorCapture& record)
{
    const std::regex line("vantrel: (" + kIPv4.recordedPeer + "|" + kIPv6.recordedPeer + "):[0-9]+ .*");
    std::vector<std::string> peers;
    for (const std::string& text : record.Lines()) {
        std::smatch match;
        if (text.rfind("vantrel: ", 0) != 0)
            continue; // a client's own message
        EXPECT_TRUE(std::regex_match(text, match, line)) << text;
        if (!match.empty())
            peers.push_back(match[1]);
    }
    return peers;
}

bool Recorded(const std::vector<std::string>& peers, const Loopback& loopback)
{
    return std::any_of(peers.begin(), peers.end(), [&](const std::string& peer) {
        return std::regex_match(peer, std::regex(loopback.recordedPeer));
    });
}

void PrintTo(const Loopback& loopback, std::ostream* out)
{
    *out << loopback.address;
}

class RealClients : public testing::TestWithParam<Loopback> { };

} // namespace

TEST_P(RealClients, DownloadsUploadsAndRefusalsWithAndWithoutOptions)
{
    const Loopback& loopback = GetParam();
    const bool ipv4 = loopback.address == kIPv4.address;
    StandardErrorCapture record;
    ServiceHarness service(69, true);
    ASSERT_TRUE(LoadSettingsThroughRegistry(service));
    const char* ipv6Switch = std::getenv("WINE_TEST_IPV6");
    if (ipv6Switch && std::string(ipv6Switch) == "off") {
        ASSERT_EQ(RunLinux("grep -qx 1 /proc/sys/net/ipv6/conf/lo/disable_ipv6", kUnixRoot), 0) << "IPv6 is off";
    }
    ASSERT_TRUE(service.boxes.empty()) << service.boxes.front();
    const std::string served = RandomBytes(70000, 1), uploaded = RandomBytes(1500, 2);
    WriteWholeFile((kRoot / "search" / "boot.bin").string(), served);
    WriteWholeFile((kRoot / "up.bin").string(), uploaded);
    const std::string host = loopback.address, url = "tftp://" + loopback.Url() + "/";
    const std::string search = kUnixRoot + "/search", tftp = "tftp -m binary " + host + " -c ";
    const std::string atftp = "atftp --option 'blksize 1468' --option 'windowsize 16' --option tsize ";
    // Each client's command for a download to @, and the one for an upload
    // of up.bin as @.
    const struct {
        std::string name, get, put;
    } clients[] = {
        {"tftp", tftp + "get boot.bin @", tftp + "put up.bin @"},
        {"curl", "curl -sS -o @ " + url + "boot.bin", "curl -sS -T up.bin " + url + "@"},
        {"curl-blksize", "curl -sS --tftp-blksize 1468 -o @ " + url + "boot.bin",
         "curl -sS --tftp-blksize 1468 -T up.bin " + url + "@"},
        {"busybox-blksize", "busybox tftp -b 1468 -g -r boot.bin -l @ " + host,
         "busybox tftp -b 1468 -p -l up.bin -r @ " + host},
        {"atftp-window", atftp + "-g -r boot.bin -l @ " + host, atftp + "-p -l up.bin -r @ " + host},
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
    EXPECT_NE(RunLinux("curl -sS -o " + kUnixRoot + "/out " + url + "out", kUnixRoot), 0);
    EXPECT_FALSE(fs::exists(kRoot / "out") && fs::file_size(kRoot / "out") > 0);
    // Removed by Linux too: wine cannot, and the next case starts afresh.
    EXPECT_EQ(RunLinux("rm " + search + "/out", kUnixRoot), 0);

    // An IPv4 client of the same socket beside the IPv6 ones.
    if (!ipv4) {
        EXPECT_EQ(RunLinux("tftp -m binary " + kIPv4.address + " -c get boot.bin " + kUnixRoot + "/by-ipv4", kUnixRoot),
                  0);
        EXPECT_EQ(ReadWholeFile((kRoot / "by-ipv4").string()), served);
    }

    service.enableWrite = 0;
    EXPECT_NE(RunLinux("curl -sS -T " + kUnixRoot + "/up.bin " + url + "refused.bin", kUnixRoot), 0);
    EXPECT_FALSE(fs::exists(fs::path(WidenUtf8(write + "refused.bin"))));

    const std::vector<std::string> peers = RecordedPeers(record);
    EXPECT_TRUE(Recorded(peers, loopback));
    EXPECT_TRUE(ipv4 || Recorded(peers, kIPv4)) << "the IPv4 client";
}

INSTANTIATE_TEST_SUITE_P(Loopbacks, RealClients, testing::Values(kIPv4, kIPv6),
                         [](const testing::TestParamInfo<Loopback>& info) { return std::string(info.param.name); });
