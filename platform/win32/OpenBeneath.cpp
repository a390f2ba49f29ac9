#include "platform/win32/OpenBeneath.h"

#include "platform/TemporaryUpload.h"
#include "platform/win32/WideText.h"

#include <algorithm>
#include <cstring>
#include <vector>

std::string FinalPathOf(HANDLE handle)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return NarrowToUtf8(path);
        }
        path.resize(length);
    }
}

BeneathResult ResultOfError(DWORD error)
{
    switch (error) {
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
    bool valid = false;
    const std::wstring wide = WidenUtf8(path, &valid);
    if (!valid) {
        *result = BeneathResult::Missing;
        return INVALID_HANDLE_VALUE;
    }
    // Backup semantics is how CreateFile opens a directory at all.
    const HANDLE directory = CreateFileW(wide.c_str(), kHeldDirectory.access, kHeldDirectory.share, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    *result = directory == INVALID_HANDLE_VALUE ? ResultOfError(GetLastError()) : BeneathResult::Opened;
    return directory;
}

HANDLE OpenRelative(HANDLE directory, const std::wstring& name, const OpenMode& mode, DWORD* error)
{
    if (name.empty() || name.size() > 0x7fff) {
        *error = ERROR_INVALID_NAME;
        return INVALID_HANDLE_VALUE;
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(WCHAR));
    OBJECT_ATTRIBUTES attributes;
    // Names are found in any case, as CreateFile finds them.
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, directory, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE file = nullptr;
    const NTSTATUS status = NtCreateFile(&file, mode.access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io,
                                         nullptr, mode.attributes, mode.share, mode.disposition,
                                         mode.options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (!NT_SUCCESS(status)) {
        *error = RtlNtStatusToDosError(status);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

bool DeleteFileIn(HANDLE directory, const std::string& name)
{
    const OpenMode mode{DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                        FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, 0};
    DWORD error = 0;
    const HANDLE file = OpenRelative(directory, WidenUtf8(name), mode, &error);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Where a link was opened all the same (a Linux link under wine), the
    // file's final path is not its name in directory.
    FILE_DISPOSITION_INFO gone{TRUE};
    const bool deleted = FinalPathOf(file) == FinalPathOf(directory) + '\\' + name
        && SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
    CloseHandle(file);
    return deleted;
}

// COM1 to COM9 and LPT1 to LPT9, and with the superscript digits 1, 2 and 3,
// which Windows reads as the same devices.
static bool IsPortNumber(std::string_view digit)
{
    static const char* const kDigits[]
        = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    return std::any_of(std::begin(kDigits), std::end(kDigits), [&](const char* d) { return digit == d; });
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
    const bool port = upper.size() > 3 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0);
    return port && IsPortNumber(std::string_view(upper).substr(3));
}

bool IsPlainName(std::string_view component)
{
    if (component.empty() || component.back() == '.' || component.back() == ' ')
        return false;
    const bool invalid = std::any_of(component.begin(), component.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || std::strchr(":<>\"|?*\\/", c);
    });
    bool utf8 = false;
    WidenUtf8(std::string(component), &utf8);
    return !invalid && utf8 && !IsDeviceName(component);
}

std::string LastComponent(const std::string& path)
{
    return path.substr(path.rfind('\\') + 1);
}

// Compared exactly, separator included: both spell the path as the file
// system stores it, and a folder that differs only in case, or whose name
// merely begins with the directory's, is another folder.
static bool IsBeneath(const std::string& path, const std::string& base)
{
    const std::string prefix = base.back() == '\\' ? base : base + '\\';
    return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
}

std::string LongNameIn(HANDLE directory, const std::string& asked)
{
    const std::wstring name = WidenUtf8(asked);
    UNICODE_STRING mask;
    mask.Buffer = const_cast<PWSTR>(name.c_str());
    mask.Length = mask.MaximumLength = static_cast<USHORT>(name.size() * sizeof(WCHAR));
    alignas(LARGE_INTEGER) char room[sizeof(FILE_ID_BOTH_DIR_INFO) + 512 * sizeof(WCHAR)];
    IO_STATUS_BLOCK io{};
    const NTSTATUS status = NtQueryDirectoryFile(directory, nullptr, nullptr, nullptr, &io, room, sizeof room,
                                                 kFileIdBothDirectoryInformation, TRUE, &mask, TRUE);
    const auto* listed = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(room);
    if (!NT_SUCCESS(status))
        return std::string();
    return NarrowToUtf8(listed->FileName, static_cast<int>(listed->FileNameLength / sizeof(WCHAR)));
}

// Where the level opened lies, and the name it has there: its long name, for
// an 8.3 short name asked may stand for a long name that no request may use.
// A reparse point followed leads to a name of its own, which must be one a
// request could use too.
static bool IsServableLevel(HANDLE parent, HANDLE level, const std::string& base, const std::string& asked,
                            bool followed, bool last)
{
    const std::string path = FinalPathOf(level);
    const std::string name = followed ? LastComponent(path) : LongNameIn(parent, asked);
    return IsBeneath(path, base) && IsPlainName(name) && !(last && IsTemporaryUploadName(name));
}

static bool IsReparsePoint(HANDLE file)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag)
        && (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

static bool IsSameFile(HANDLE one, HANDLE other)
{
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return GetFileInformationByHandle(one, &a) && GetFileInformationByHandle(other, &b)
        && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh
        && a.nFileIndexLow == b.nFileIndexLow;
}

// Whether name in parent, opened once more, is still the very file level.
// Wine computes a final path from the name after the open, so there a link
// swapped in for the open and out again before that leaves no trace in the
// final path; the file opened still differs from the one the name now holds.
static bool IsStillNamed(HANDLE parent, const std::wstring& name, HANDLE level)
{
    const OpenMode look{0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, FILE_OPEN_REPARSE_POINT,
                        0};
    DWORD error = 0;
    const HANDLE again = OpenRelative(parent, name, look, &error);
    if (again == INVALID_HANDLE_VALUE)
        return false;
    const bool same = IsSameFile(again, level);
    CloseHandle(again);
    return same;
}

// One level, opened as the reparse point it may be; a reparse point is opened
// again, followed this time, and then kept only if it led beneath base. A
// level reached without one must still be what its name holds.
static HANDLE OpenLevel(HANDLE parent, const std::string& asked, const OpenMode& mode, const std::string& base,
                        bool last, BeneathResult* result)
{
    const std::wstring name = WidenUtf8(asked);
    DWORD error = 0;
    OpenMode asLink = mode;
    asLink.options |= FILE_OPEN_REPARSE_POINT;
    HANDLE level = OpenRelative(parent, name, asLink, &error);
    const bool reparse = level != INVALID_HANDLE_VALUE && IsReparsePoint(level);
    if (reparse) {
        CloseHandle(level);
        level = OpenRelative(parent, name, mode, &error);
    }
    if (level == INVALID_HANDLE_VALUE) {
        *result = ResultOfError(error);
        return level;
    }
    if (!IsServableLevel(parent, level, base, asked, reparse, last)
        || (!reparse && !IsStillNamed(parent, name, level))) {
        CloseHandle(level);
        *result = BeneathResult::Outside;
        return INVALID_HANDLE_VALUE;
    }
    return level;
}

// The components of name that name a level: "" and "." stay where they are.
static std::vector<std::string> LevelsOf(const std::string& name)
{
    std::vector<std::string> levels;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        std::string component = name.substr(start, end - start);
        start = end + 1;
        if (!component.empty() && component != ".")
            levels.push_back(std::move(component));
    }
    return levels;
}

HANDLE OpenBeneath(HANDLE directory, const std::string& name, const OpenMode& mode, BeneathResult* result)
{
    const std::string base = FinalPathOf(directory);
    const std::vector<std::string> levels = LevelsOf(name);
    if (base.empty() || levels.empty() || !std::all_of(levels.begin(), levels.end(), IsPlainName)) {
        *result = base.empty() ? BeneathResult::Failed : BeneathResult::Outside;
        return INVALID_HANDLE_VALUE;
    }
    HANDLE parent = directory;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const bool last = i + 1 == levels.size();
        const HANDLE level = OpenLevel(parent, levels[i], last ? mode : kHeldDirectory, base, last, result);
        if (parent != directory)
            CloseHandle(parent);
        if (level == INVALID_HANDLE_VALUE)
            return level;
        parent = level;
    }
    *result = BeneathResult::Opened;
    return parent;
}
