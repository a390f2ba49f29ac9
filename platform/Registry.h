#pragma once
// The registry calls that the settings make, with Windows' signatures, result
// codes and semantics: on Windows ADVAPI32's own, with the transactions of
// KTMW32; elsewhere the stand-in on SQLite.
#ifdef _WIN32
#include "platform/WinTypes.h"

#include <ktmw32.h>

// The program's texts are UTF-8, and ADVAPI32's "A" calls would take them in
// the ANSI code page, losing or best-fitting every character outside it. Under
// the "A" names and signatures, these call the "W" forms and convert between
// UTF-8 and the registry's UTF-16: key and value names, and the data of text
// values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ). Text data that is not valid
// UTF-8 is refused with ERROR_NO_UNICODE_TRANSLATION.
LONG RegCreateKeyExUtf8(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM samDesired,
                        const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LONG RegCreateKeyTransactedUtf8(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                REGSAM samDesired, const LPSECURITY_ATTRIBUTES security, PHKEY result,
                                LPDWORD disposition, HANDLE transaction, PVOID extended);
LONG RegOpenKeyExUtf8(HKEY key, LPCSTR subKey, DWORD options, REGSAM samDesired, PHKEY result);
// Text data is reported and copied in its UTF-8 form, its size in bytes.
LONG RegQueryValueExUtf8(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD cbData);
// Text data is stored in UTF-16, with a terminating NUL unless it is empty or
// has one, as RegSetValueExA stores a text counted without its NUL.
LONG RegSetValueExUtf8(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);

#define RegCreateKeyExA RegCreateKeyExUtf8
#define RegCreateKeyTransactedA RegCreateKeyTransactedUtf8
#define RegOpenKeyExA RegOpenKeyExUtf8
#define RegQueryValueExA RegQueryValueExUtf8
#define RegSetValueExA RegSetValueExUtf8
#else
#include "platform/registry/Registry.h"
#endif
