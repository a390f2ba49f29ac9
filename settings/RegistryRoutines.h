#pragma once
// Small helpers over the registry for the settings key. They report nothing:
// a failed read gives the default, a failed write is lost.
#include "platform/Registry.h"

#include <string>

// The base key "SOFTWARE\Corvane\TFTP\" under HKEY_LOCAL_MACHINE, opened with
// full access and created if missing; null on failure.
HKEY OpenSettingsKey();

// A null sub-key name queries key itself.
std::string ReadRegString(HKEY key, LPCSTR subKey, LPCSTR valueName, LPCSTR defaultText);
DWORD ReadRegDword(HKEY key, LPCSTR subKey, LPCSTR valueName, DWORD defaultNumber);

// Both create the sub-key when it is missing.
void WriteRegString(HKEY key, LPCSTR subKey, LPCSTR valueName, LPCSTR text);
void WriteRegDword(HKEY key, LPCSTR subKey, LPCSTR valueName, DWORD number);
