#include "settings/RegistryRoutines.h"

#include <vector>

namespace {

const char* const kBaseKeyPath = "SOFTWARE\\Corvane\\TFTP\\";

bool HasFailed(const LONG* failure)
{
    return failure != nullptr && *failure != ERROR_SUCCESS;
}

// Keeps the first error in the slot.
void NoteError(LONG status, LONG* failure)
{
    if (failure != nullptr && *failure == ERROR_SUCCESS)
        *failure = status;
}

// An absent key or value, or a number too long, is the stored settings' own
// state; any other error means the store itself could not be read.
void NoteFailure(LONG status, LONG* failure)
{
    if (status != ERROR_FILE_NOT_FOUND && status != ERROR_MORE_DATA)
        NoteError(status, failure);
}

// Once the store has failed, further reads are not tried: each could wait as
// long again for a store that another program holds.
// With a null sub-key name the key itself is used, and nothing is opened.
HKEY OpenForRead(HKEY key, LPCSTR subKey, LONG* failure)
{
    if (HasFailed(failure))
        return nullptr;
    if (subKey == nullptr)
        return key;
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExA(key, subKey, 0, KEY_ALL_ACCESS, &opened);
    NoteFailure(status, failure);
    return status == ERROR_SUCCESS ? opened : nullptr;
}

void CloseAfterRead(HKEY opened, LPCSTR subKey)
{
    if (subKey != nullptr)
        RegCloseKey(opened);
}

// After a failed write, further writes are not tried: in a transaction they
// could not land anyway.
void WriteValue(HKEY key, LPCSTR subKey, LPCSTR valueName, DWORD type, const BYTE* data, DWORD size, LONG* failure)
{
    if (HasFailed(failure))
        return;
    HKEY opened = nullptr;
    LONG status
        = RegCreateKeyExA(key, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExA(opened, valueName, 0, type, data, size);
        RegCloseKey(opened);
    }
    NoteError(status, failure);
}

} // namespace

HKEY OpenSettingsKey(LONG* failure)
{
    HKEY key = nullptr;
    const LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kBaseKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    NoteFailure(status, failure);
    return status == ERROR_SUCCESS ? key : nullptr;
}

HKEY OpenSettingsKeyTransacted(HANDLE transaction, LONG* failure)
{
    HKEY key = nullptr;
    const LONG status = RegCreateKeyTransactedA(HKEY_LOCAL_MACHINE, kBaseKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                KEY_ALL_ACCESS, nullptr, &key, nullptr, transaction, nullptr);
    if (status == ERROR_CALL_NOT_IMPLEMENTED)
        return OpenSettingsKey(failure);
    NoteError(status, failure);
    return status == ERROR_SUCCESS ? key : nullptr;
}

// The data is cut at its first NUL, so text stored with or without a
// terminating NUL, or with NULs inside, reads as a proper text.
std::string ReadRegString(HKEY key, LPCSTR subKey, LPCSTR valueName, LPCSTR defaultText, LONG* failure)
{
    HKEY opened = OpenForRead(key, subKey, failure);
    if (opened == nullptr)
        return defaultText;
    DWORD size = 0;
    LONG status = RegQueryValueExA(opened, valueName, nullptr, nullptr, nullptr, &size);
    std::vector<BYTE> buffer(static_cast<std::size_t>(size) + 1, 0);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExA(opened, valueName, nullptr, nullptr, buffer.data(), &size);
    }
    NoteFailure(status, failure);
    CloseAfterRead(opened, subKey);
    if (status != ERROR_SUCCESS)
        return defaultText;
    return std::string(reinterpret_cast<const char*>(buffer.data()));
}

// Data shorter than 4 bytes fills the low-order end; the rest stays zero.
DWORD ReadRegDword(HKEY key, LPCSTR subKey, LPCSTR valueName, DWORD defaultNumber, LONG* failure)
{
    HKEY opened = OpenForRead(key, subKey, failure);
    if (opened == nullptr)
        return defaultNumber;
    BYTE bytes[4] = {0, 0, 0, 0};
    DWORD size = sizeof bytes;
    const LONG status = RegQueryValueExA(opened, valueName, nullptr, nullptr, bytes, &size);
    NoteFailure(status, failure);
    CloseAfterRead(opened, subKey);
    if (status != ERROR_SUCCESS)
        return defaultNumber;
    return static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 | static_cast<DWORD>(bytes[2]) << 16
        | static_cast<DWORD>(bytes[3]) << 24;
}

void WriteRegString(HKEY key, LPCSTR subKey, LPCSTR valueName, LPCSTR text, LONG* failure)
{
    const std::string data(text);
    WriteValue(key, subKey, valueName, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
               static_cast<DWORD>(data.size()), failure);
}

void WriteRegDword(HKEY key, LPCSTR subKey, LPCSTR valueName, DWORD number, LONG* failure)
{
    const BYTE bytes[4] = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
                           static_cast<BYTE>(number >> 24)};
    WriteValue(key, subKey, valueName, REG_DWORD, bytes, sizeof bytes, failure);
}
