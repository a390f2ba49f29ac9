// Machines boot from the network off the real program: a UEFI machine and a
// BIOS one under QEMU take their boot loader, its module and its
// configuration from vantrel over TFTP (tests/e2e/support/network-boot), as
// on a technician's bench, without a single message box; the UEFI machine
// over IPv6 too.
#include "support/NetworkBootMachines.h"
#include "support/StoreFile.h"
#include "support/VantrelProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// A boot takes well under a minute under TCG; a busy machine may take three.
constexpr int kBootMs = 200000;

class NetworkBoot : public testing::TestWithParam<NetworkBootMachine> { };

TEST_P(NetworkBoot, TheMachineReadsItsBootLoadersConfigurationWithoutAMessageBox)
{
    QTemporaryDir served;
    ASSERT_TRUE(served.isValid());
    QFile::remove(kStoreFile);
    ProvisionStore(kStoreFile, kSettingsKey,
                   {{"ReadirCount", NumberValue(1)}, {"ReadirRoot-0", TextValue(served.path().toStdString())}});
    VantrelProcess vantrel;
    ASSERT_NE(vantrel.StartServing(), 0);

    EXPECT_EQ(RunClient(VANTREL_SOURCE_DIR "/tests/e2e/support/network-boot",
                        {GetParam().firmware, served.path(), GetParam().family}, kBootMs),
              0);
    EXPECT_TRUE(vantrel.EndWith(SIGTERM));
    EXPECT_EQ(vantrel.Output().find(" message: "), std::string::npos) << vantrel.Output();
}

INSTANTIATE_TEST_SUITE_P(Machines, NetworkBoot, kNetworkBootMachines, NetworkBootMachineName);

} // namespace
