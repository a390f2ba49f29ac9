#pragma once
// Small helpers over the registry for the settings key. They report nothing:
// a failed read gives the default, a failed write is lost. A reader given a
// failure slot notes there the first error that was not mere absence, so that
// a caller can tell a store it could not read from one that is still empty.
#include "platform/Registry.h"

#include <string>

// The base key "SOFTWARE\Corvane\TFTP\" under HKEY_LOCAL_MACHINE, opened with
// full access and created if missing; null on failure.
HKEY OpenSettingsKey(LONG* failure = nullptr);
// The same key in a transaction: what is written below it lands at the commit.
// Where the registry has no transactions, the key itself, so that the values
// are written one by one.
HKEY OpenSettingsKeyTransacted(HANDLE transaction, LONG* failure = nullptr);

// A null sub-key name queries key itself.
std::string ReadRegString(HKEY key, LPCSTR subKey, LPCSTR valueName, LPCSTR defaultText, LONG* failure = nullptr);
DWORD ReadRegDword(HKEY key, LPCSTR subKey, LPCSTR valueName, DWORD defaultNumber, LONG* failure = nullptr);

// Both create the sub-key when it is missing.
void WriteRegString(HKEY key, LPCSTR subKey, LPCSTR valueName, LPCSTR text, LONG* failure = nullptr);
void WriteRegDword(HKEY key, LPCSTR subKey, LPCSTR valueName, DWORD number, LONG* failure = nullptr);
