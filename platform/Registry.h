#pragma once
// The registry calls that the settings make, with Windows' signatures, result
// codes and semantics: on Windows ADVAPI32's own, with the transactions of
// KTMW32; elsewhere the stand-in on SQLite.
#ifdef _WIN32
#include "platform/WinTypes.h"

#include <ktmw32.h>
#else
#include "platform/registry/Registry.h"
#endif
