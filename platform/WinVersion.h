#pragma once
// GetVersion in the manner of KERNEL32: low byte the major version, next
// byte the minor version, high word the build. This system always reports a
// modern Windows, so callers take their modern path.
#include "platform/WinTypes.h"

// On Windows GetVersion and LOBYTE are KERNEL32's and windows.h's own.
#ifndef _WIN32
DWORD GetVersion();

constexpr BYTE LOBYTE(DWORD value)
{
    return static_cast<BYTE>(value & 0xFF);
}
#endif
