#include "platform/WinVersion.h"

DWORD GetVersion()
{
    // Windows 10.0, build 19045.
    constexpr DWORD major = 10, minor = 0, build = 19045;
    return major | (minor << 8) | (build << 16);
}
