#include "tests/server/support/OpenFileCount.h"

#include "platform/WinTypes.h"

#include <vector>

namespace {

// The system's table of open handles as NtQuerySystemInformation gives it
// (SystemHandleInformation): GetProcessHandleCount says 0 under wine.
constexpr int kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleEntry {
    ULONG ownerProcessId;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};

struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};

using QuerySystemInformation = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);

} // namespace

int OpenFileCount()
{
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<char> room(1 << 16);
    LONG status = 0;
    while ((status = query(kSystemHandleInformation, room.data(), static_cast<ULONG>(room.size()), nullptr))
           == kInfoLengthMismatch)
        room.resize(room.size() * 2);
    if (status < 0)
        return -1;
    const auto* table = reinterpret_cast<const HandleTable*>(room.data());
    int count = 0;
    for (ULONG i = 0; i < table->count; ++i)
        count += table->entries[i].ownerProcessId == GetCurrentProcessId();
    return count;
}
