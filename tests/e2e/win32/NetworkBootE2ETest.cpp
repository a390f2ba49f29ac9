// Machines boot from the network off the real vantrel.exe under wine: a UEFI
// machine and a BIOS one, QEMU's, started on the host inside this test's
// network (tests/e2e/support/network-boot), take their boot loader, its
// module and its configuration from it over TFTP without a single message box;
// the UEFI machine over IPv6 too.
#include "tests/e2e/support/NetworkBootMachines.h"
#include "tests/e2e/win32/support/VantrelWindow.h"

#include "res/ResourceIds.h"
#include "tests/settings/support/SettingsValues.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr char kServed[] = "/tmp/vantrel-boot";
// A boot takes well under a minute under TCG; a busy machine may take three.
constexpr DWORD kBootMs = 200000;

class NetworkBoot : public testing::TestWithParam<NetworkBootMachine> { };

TEST_P(NetworkBoot, TheMachineReadsItsBootLoadersConfigurationWithoutAMessageBox)
{
    CreateDirectoryA(WinePath(kServed).c_str(), nullptr);
    SettingsValues settings = {"", 0, 0, {WinePath(kServed)}};
    WriteSettingsToRegistry(settings.Refs());
    VantrelWindow vantrel;
    ASSERT_TRUE(vantrel.Start());

    const std::string log = std::string(kServed) + ".log";
    const int status
        = RunHostCommand(std::string(VANTREL_SOURCE_DIR "/tests/e2e/support/network-boot ") + GetParam().firmware + " "
                             + kServed + " " + GetParam().family + " >" + log + " 2>&1",
                         {}, kBootMs);
    std::printf("%s", ReadFileBytes(log).c_str());
    EXPECT_EQ(status, 0);
    EXPECT_EQ(WaitForWindow(vantrel.ProcessId(), "vantrel", 0), nullptr) << "a message box";
    Click(vantrel.Item(IDOK));
    EXPECT_EQ(vantrel.WaitForExit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Machines, NetworkBoot, kNetworkBootMachines, NetworkBootMachineName);

} // namespace
