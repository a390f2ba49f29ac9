#include "tests/server/support/OpenFileCount.h"

#include "platform/WinTypes.h"

int OpenFileCount()
{
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    return static_cast<int>(handles);
}
