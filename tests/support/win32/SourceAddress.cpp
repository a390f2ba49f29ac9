#include "tests/support/SourceAddress.h"

#include "platform/WinTypes.h"

// Wine's ntdll names its version; Windows' has no such export.
bool SendsFromGivenSource()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
}
