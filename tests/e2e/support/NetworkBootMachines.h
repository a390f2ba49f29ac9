#pragma once
// The machines that the network-boot tests of both programs start, as
// tests/e2e/support/network-boot takes them: a firmware and the address
// family it boots over.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

struct NetworkBootMachine {
    const char* firmware;
    const char* family;
};

inline const auto kNetworkBootMachines = testing::Values(
    NetworkBootMachine{"uefi", "ipv4"}, NetworkBootMachine{"bios", "ipv4"}, NetworkBootMachine{"uefi", "ipv6"});

// "uefi over ipv6" and the like, in the cases' messages.
inline void PrintTo(const NetworkBootMachine& machine, std::ostream* out)
{
    *out << machine.firmware << " over " << machine.family;
}

// uefi_ipv6 and the like, as the cases are named.
inline std::string NetworkBootMachineName(const testing::TestParamInfo<NetworkBootMachine>& info)
{
    return std::string(info.param.firmware) + "_" + info.param.family;
}
