#include "platform/UploadFile.h"

#include "platform/TemporaryUpload.h"
#include "platform/win32/OpenBeneath.h"

#include <vector>

constexpr int kCreateAttempts = 16;
// FileRenameInfoEx of Windows 10, which these headers name only for later targets.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);

static HANDLE HandleOf(FileId id)
{
    return reinterpret_cast<HANDLE>(id);
}

// The target's directory beneath writeDir, held open while the upload lasts.
static HANDLE OpenTargetDirectory(const std::string& writeDir, const std::string& parent, BeneathResult* result)
{
    const HANDLE held = OpenDirectoryHandle(writeDir, result);
    if (held == INVALID_HANDLE_VALUE || parent.empty())
        return held;
    const OpenMode mode{FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS};
    const HANDLE directory = OpenBeneath(held, parent, mode, result);
    CloseHandle(held);
    BY_HANDLE_FILE_INFORMATION info{};
    if (directory != INVALID_HANDLE_VALUE
        && (!GetFileInformationByHandle(directory, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))) {
        CloseHandle(directory);
        *result = BeneathResult::Missing;
        return INVALID_HANDLE_VALUE;
    }
    return directory;
}

// A target that is missing or a file, a symbolic link to a file included,
// which the replace puts aside; never a directory.
static bool IsReplaceableTarget(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Hidden while it fills, and shared with no one: no other program may read a
// partial upload.
static HANDLE CreateTemporary(const std::string& directory, UploadFile* upload, BeneathResult* result)
{
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        upload->temporary = TemporaryUploadName(upload->target);
        const HANDLE file = CreateFileA((directory + '\\' + upload->temporary).c_str(), GENERIC_WRITE | DELETE, 0,
                                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            *result = BeneathResult::Opened;
            return file;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            *result = ResultOfLastError() == BeneathResult::NoDescriptors ? BeneathResult::NoDescriptors
                                                                          : BeneathResult::Failed;
            break;
        }
    }
    upload->temporary.clear();
    if (*result == BeneathResult::Opened)
        *result = BeneathResult::Failed;
    return INVALID_HANDLE_VALUE;
}

static HANDLE OpenTemporary(const std::string& writeDir, const std::string& name, UploadFile* upload,
                            BeneathResult* result)
{
    const std::size_t slash = name.rfind('/');
    upload->target = slash == std::string::npos ? name : name.substr(slash + 1);
    const std::string parent = slash == std::string::npos ? std::string() : name.substr(0, slash);
    *result = BeneathResult::Failed;
    const HANDLE directory = OpenTargetDirectory(writeDir, parent, result);
    if (directory == INVALID_HANDLE_VALUE)
        return directory;
    upload->directory = reinterpret_cast<FileId>(directory);
    const std::string base = FinalPathOf(directory);
    const std::string target = base.empty() ? std::string() : PathBeneath(base, upload->target);
    // A name that ends at the directory itself names no file to write, as a
    // directory is none; only one that leads out is refused.
    if (target.empty() || target == base) {
        *result = base.empty() || target == base ? BeneathResult::Failed : BeneathResult::Outside;
        return INVALID_HANDLE_VALUE;
    }
    if (!IsReplaceableTarget(target)) {
        *result = BeneathResult::Failed;
        return INVALID_HANDLE_VALUE;
    }
    return CreateTemporary(base, upload, result);
}

FileId BeginUpload(const std::string& writeDir, const std::string& name, UploadFile* upload, BeneathResult* result)
{
    const HANDLE file = OpenTemporary(writeDir, name, upload, result);
    if (file == INVALID_HANDLE_VALUE)
        DiscardUpload(upload);
    return reinterpret_cast<FileId>(file);
}

bool WriteUpload(FileId file, const void* block, std::size_t length)
{
    DWORD written = 0;
    return WriteFile(HandleOf(file), block, static_cast<DWORD>(length), &written, nullptr) && written == length;
}

// Windows 10 replaces a file that downloads still hold open (shared for
// deletion) only with POSIX semantics: they go on reading the old bytes.
static bool ReplaceByHandle(HANDLE file, const std::string& target)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return false;
    std::vector<char> room(sizeof(FILE_RENAME_INFO) + static_cast<std::size_t>(length) * sizeof(WCHAR));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(room.data());
    rename->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
    rename->FileNameLength = static_cast<DWORD>((length - 1) * sizeof(WCHAR));
    MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, rename->FileName, length);
    return SetFileInformationByHandle(file, kFileRenameInfoEx, rename, static_cast<DWORD>(room.size()));
}

// The file shows once it is the target, and has reached the disk before it
// replaces the target. A volume that keeps no attributes kept none to clear:
// that step may fail. Where the rename by handle is not known, MoveFileEx
// replaces the target, waiting for the disk with MOVEFILE_WRITE_THROUGH.
bool CompleteUpload(UploadFile* upload, FileId file)
{
    FILE_BASIC_INFO visible{};
    visible.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(HandleOf(file), FileBasicInfo, &visible, sizeof visible);
    const std::string base = FinalPathOf(HandleOf(upload->directory));
    const std::string temporary = base + '\\' + upload->temporary, target = base + '\\' + upload->target;
    const bool flushed = FlushFileBuffers(HandleOf(file)) && !base.empty();
    bool replaced = flushed && ReplaceByHandle(HandleOf(file), target);
    const bool closed = CloseHandle(HandleOf(file));
    if (flushed && closed && !replaced)
        replaced = MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (replaced)
        upload->temporary.clear();
    return replaced && closed;
}

void DiscardUpload(UploadFile* upload)
{
    if (!upload->temporary.empty() && upload->directory != kNoFile) {
        const std::string base = FinalPathOf(HandleOf(upload->directory));
        if (!base.empty())
            DeleteFileA((base + '\\' + upload->temporary).c_str());
    }
    upload->temporary.clear();
    if (upload->directory != kNoFile)
        CloseHandle(HandleOf(upload->directory));
    upload->directory = kNoFile;
}
