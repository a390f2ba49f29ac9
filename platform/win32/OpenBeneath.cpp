#include "platform/win32/OpenBeneath.h"

#include <algorithm>
#include <cstring>
#include <string_view>

std::string FinalPathOf(HANDLE handle)
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleA(handle, path.data(), static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length);
    }
}

BeneathResult ResultOfLastError()
{
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY: return BeneathResult::Missing;
    case ERROR_CANT_RESOLVE_FILENAME: return BeneathResult::Outside;
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_NO_SYSTEM_RESOURCES: return BeneathResult::NoDescriptors;
    default: return BeneathResult::Failed;
    }
}

HANDLE OpenDirectoryHandle(const std::string& path, BeneathResult* result)
{
    // Backup semantics is how CreateFile opens a directory at all.
    const HANDLE directory = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    *result = directory == INVALID_HANDLE_VALUE ? ResultOfLastError() : BeneathResult::Opened;
    return directory;
}

static bool IsDeviceName(std::string_view component)
{
    std::string_view stem = component.substr(0, component.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    std::string upper(stem);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::any_of(std::begin(kDevices), std::end(kDevices), [&](const char* d) { return upper == d; }))
        return true;
    // COM1 to COM9 and LPT1 to LPT9, and with the superscript digits 1, 2 and 3
    // of the Windows code page, which Windows reads as the same devices.
    const bool port = upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0);
    return port && ((upper[3] >= '1' && upper[3] <= '9') || std::strchr("\xB9\xB2\xB3", upper[3]));
}

// A stream ("a:b"), a drive, a device, a name that Windows trims (a trailing
// dot or blank) or a character that no file name may hold.
static bool IsPlainComponent(std::string_view component)
{
    if (component.back() == '.' || component.back() == ' ')
        return false;
    const bool invalid = std::any_of(component.begin(), component.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || std::strchr(":<>\"|?*", c);
    });
    return !invalid && !IsDeviceName(component);
}

std::string PathBeneath(const std::string& base, const std::string& name)
{
    std::string path = base;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string_view component = std::string_view(name).substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".")
            continue;
        if (!IsPlainComponent(component))
            return std::string();
        if (path.back() != '\\')
            path += '\\';
        path += component;
    }
    return path;
}

static bool IsBeneath(const std::string& path, const std::string& base)
{
    const std::string prefix = base.back() == '\\' ? base : base + '\\';
    return path.size() > prefix.size() && _strnicmp(path.c_str(), prefix.c_str(), prefix.size()) == 0;
}

HANDLE OpenBeneath(HANDLE directory, const std::string& name, const OpenMode& mode, BeneathResult* result)
{
    const std::string base = FinalPathOf(directory);
    const std::string path = base.empty() ? std::string() : PathBeneath(base, name);
    if (path.empty() || path == base) {
        *result = base.empty() ? BeneathResult::Failed : BeneathResult::Outside;
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE file
        = CreateFileA(path.c_str(), mode.access, mode.share, nullptr, mode.disposition, mode.flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *result = ResultOfLastError();
        return file;
    }
    // Opened through whatever reparse points lay on the way; kept only where
    // they led beneath the directory.
    if (!IsBeneath(FinalPathOf(file), base)) {
        CloseHandle(file);
        *result = BeneathResult::Outside;
        return INVALID_HANDLE_VALUE;
    }
    *result = BeneathResult::Opened;
    return file;
}
