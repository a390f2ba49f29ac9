#include "platform/UploadFile.h"

#include "platform/RequestedName.h"

#include "platform/TemporaryUpload.h"
#include "platform/win32/OpenBeneath.h"
#include "platform/win32/WideText.h"

#include <cstring>
#include <vector>

constexpr int kCreateAttempts = 16;
// FileRenameInformationEx of Windows 10, which these headers do not name.
constexpr auto kFileRenameInformationEx = static_cast<FILE_INFORMATION_CLASS>(65);

static HANDLE HandleOf(FileId id)
{
    return reinterpret_cast<HANDLE>(id);
}

// The target's directory beneath writeDir, held open while the upload lasts,
// shared for neither deletion nor renaming: the temporary is created and the
// target replaced in it, relative to this handle.
static HANDLE OpenTargetDirectory(const std::string& writeDir, const std::string& parent, BeneathResult* result)
{
    const HANDLE held = OpenDirectoryHandle(writeDir, result);
    if (held == INVALID_HANDLE_VALUE || parent.empty())
        return held;
    const HANDLE directory = OpenBeneath(held, parent, kHeldDirectory, result);
    CloseHandle(held);
    return directory;
}

// The target as the file system resolved the name asked: a file there is
// replaced under its long name (the name asked may be its 8.3 short name),
// which must be one a request may write; a link is replaced itself, a
// directory never. A missing target keeps the name asked.
static BeneathResult ResolveTarget(HANDLE directory, UploadFile* upload)
{
    if (upload->target.empty() || upload->target == ".")
        return BeneathResult::Failed;
    if (!IsPlainName(upload->target))
        return BeneathResult::Outside;
    const OpenMode probe{FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                         FILE_OPEN_REPARSE_POINT, 0};
    DWORD error = 0;
    const HANDLE existing = OpenRelative(directory, WidenUtf8(upload->target), probe, &error);
    if (existing == INVALID_HANDLE_VALUE)
        return error == ERROR_FILE_NOT_FOUND ? BeneathResult::Opened : ResultOfError(error);
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool known = GetFileInformationByHandleEx(existing, FileAttributeTagInfo, &tag, sizeof tag);
    CloseHandle(existing);
    if (!known || (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return BeneathResult::Failed;
    const std::string name = LongNameIn(directory, upload->target);
    if (!IsPlainName(name) || IsTemporaryUploadName(name))
        return BeneathResult::Outside;
    upload->target = name;
    return BeneathResult::Opened;
}

// Hidden while it fills, and shared with no one: no other program may read a
// partial upload.
static HANDLE CreateTemporary(HANDLE directory, UploadFile* upload, BeneathResult* result)
{
    const OpenMode mode{GENERIC_WRITE | DELETE, 0, FILE_CREATE, FILE_NON_DIRECTORY_FILE, FILE_ATTRIBUTE_HIDDEN};
    DWORD error = 0;
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        upload->temporary = TemporaryUploadName(upload->target);
        const HANDLE file = OpenRelative(directory, WidenUtf8(upload->temporary), mode, &error);
        if (file != INVALID_HANDLE_VALUE) {
            *result = BeneathResult::Opened;
            return file;
        }
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    upload->temporary.clear();
    *result
        = ResultOfError(error) == BeneathResult::NoDescriptors ? BeneathResult::NoDescriptors : BeneathResult::Failed;
    return INVALID_HANDLE_VALUE;
}

static HANDLE OpenTemporary(const std::string& writeDir, const std::string& name, UploadFile* upload,
                            BeneathResult* result)
{
    const FolderAndFile parts = SplitRequestedName(name);
    upload->target = parts.file;
    const std::string& parent = parts.folder;
    *result = BeneathResult::Failed;
    const HANDLE directory = OpenTargetDirectory(writeDir, parent, result);
    if (directory == INVALID_HANDLE_VALUE)
        return directory;
    upload->directory = reinterpret_cast<FileId>(directory);
    *result = ResolveTarget(directory, upload);
    if (*result != BeneathResult::Opened)
        return INVALID_HANDLE_VALUE;
    return CreateTemporary(directory, upload, result);
}

// A name whose bytes are not UTF-8 is not one Windows can hold: it is refused.
FileId BeginUpload(const std::string& writeDir, const std::string& name, UploadFile* upload, BeneathResult* result)
{
    bool utf8 = false;
    WidenUtf8(name, &utf8);
    const HANDLE file = utf8 ? OpenTemporary(writeDir, name, upload, result) : INVALID_HANDLE_VALUE;
    if (!utf8)
        *result = BeneathResult::Outside;
    if (file == INVALID_HANDLE_VALUE)
        DiscardUpload(upload);
    return reinterpret_cast<FileId>(file);
}

bool WriteUpload(FileId file, const void* block, std::size_t length)
{
    DWORD written = 0;
    return WriteFile(HandleOf(file), block, static_cast<DWORD>(length), &written, nullptr) && written == length;
}

// Renamed in its directory, named relative to that directory's handle. Windows
// 10 replaces a file that downloads still hold open (shared for deletion) only
// with POSIX semantics: they go on reading the old bytes. Where those are not
// offered, the plain rename replaces a target that nobody holds open.
static bool ReplaceByHandle(HANDLE file, HANDLE directory, const std::wstring& target, DWORD* error)
{
    const std::size_t bytes = target.size() * sizeof(WCHAR);
    std::vector<char> room(sizeof(FILE_RENAME_INFO) + bytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(room.data());
    rename->RootDirectory = directory;
    rename->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(rename->FileName, target.data(), bytes);
    rename->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
    IO_STATUS_BLOCK io{};
    const ULONG length = static_cast<ULONG>(room.size());
    if (NT_SUCCESS(NtSetInformationFile(file, &io, rename, length, kFileRenameInformationEx)))
        return true;
    rename->Flags = 0;
    rename->ReplaceIfExists = TRUE;
    const NTSTATUS status = NtSetInformationFile(file, &io, rename, length, FileRenameInformation);
    *error = RtlNtStatusToDosError(status);
    return NT_SUCCESS(status);
}

// The file shows once it is the target, and has reached the disk before it
// replaces the target. A volume that keeps no attributes kept none to clear:
// that step may fail.
bool CompleteUpload(UploadFile* upload, FileId file)
{
    FILE_BASIC_INFO visible{};
    visible.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(HandleOf(file), FileBasicInfo, &visible, sizeof visible);
    DWORD error = ERROR_SUCCESS;
    const bool flushed = FlushFileBuffers(HandleOf(file));
    const bool replaced
        = flushed && ReplaceByHandle(HandleOf(file), HandleOf(upload->directory), WidenUtf8(upload->target), &error);
    upload->targetInUse = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    const bool closed = CloseHandle(HandleOf(file));
    if (replaced)
        upload->temporary.clear();
    return replaced && closed;
}

void DiscardUpload(UploadFile* upload)
{
    if (!upload->temporary.empty() && upload->directory != kNoFile)
        DeleteFileIn(HandleOf(upload->directory), upload->temporary);
    upload->temporary.clear();
    if (upload->directory != kNoFile)
        CloseHandle(HandleOf(upload->directory));
    upload->directory = kNoFile;
}
