#include "platform/UploadFile.h"

#include "platform/RequestedName.h"

#include "platform/TemporaryUpload.h"
#include "platform/posix/DurableReplace.h"
#include "platform/posix/OpenBeneath.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

constexpr int kCreateAttempts = 16;

// The permission bits of the file that is replaced, if any, without
// set-user-ID and set-group-ID, which must never pass to received content;
// those of a new file otherwise. False when the target is neither a regular
// file, nor a symlink (which the rename replaces), nor missing.
static bool TargetPermissions(int directory, const std::string& target, unsigned* mode)
{
    *mode = NewFileMode();
    struct stat info = {};
    if (fstatat(directory, target.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (S_ISREG(info.st_mode))
        *mode = info.st_mode & 0777;
    return S_ISREG(info.st_mode) || S_ISLNK(info.st_mode);
}

static int CreateTemporary(UploadFile* upload, BeneathResult* result)
{
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        upload->temporary = TemporaryUploadName(upload->target);
        // Owner-only while it fills: no other account may read a partial upload.
        const int fd = openat(static_cast<int>(upload->directory), upload->temporary.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            *result = fd >= 0
                ? BeneathResult::Opened
                : (errno == EMFILE || errno == ENFILE ? BeneathResult::NoDescriptors : BeneathResult::Failed);
            if (fd < 0)
                upload->temporary.clear();
            return fd;
        }
    }
    upload->temporary.clear();
    *result = BeneathResult::Failed;
    return -1;
}

static int OpenTargetDirectory(const std::string& writeDir, const std::string& parent, BeneathResult* result)
{
    const int writeDirFd = OpenDirectory(writeDir, result);
    if (writeDirFd < 0)
        return -1;
    const int fd = OpenBeneath(writeDirFd, parent.empty() ? "." : parent, O_PATH | O_DIRECTORY, result);
    close(writeDirFd);
    return fd;
}

static FileId OpenTemporary(const std::string& writeDir, const std::string& name, UploadFile* upload,
                            BeneathResult* result)
{
    const FolderAndFile parts = SplitRequestedName(name);
    upload->target = parts.file;
    const std::string& parent = parts.folder;
    *result = BeneathResult::Failed;
    if (upload->target.empty())
        return kNoFile;
    upload->directory = OpenTargetDirectory(writeDir, parent, result);
    if (upload->directory < 0)
        return kNoFile;
    if (!TargetPermissions(static_cast<int>(upload->directory), upload->target, &upload->mode)) {
        *result = BeneathResult::Failed;
        return kNoFile;
    }
    const int fd = CreateTemporary(upload, result);
    return fd < 0 ? kNoFile : fd;
}

FileId BeginUpload(const std::string& writeDir, const std::string& name, UploadFile* upload, BeneathResult* result)
{
    const FileId file = OpenTemporary(writeDir, name, upload, result);
    if (file == kNoFile)
        DiscardUpload(upload);
    return file;
}

bool WriteUpload(FileId file, const void* block, std::size_t length)
{
    return write(static_cast<int>(file), block, length) == static_cast<ssize_t>(length);
}

bool CompleteUpload(UploadFile* upload, FileId file)
{
    const bool replaced = ReplaceDurably(static_cast<int>(upload->directory), static_cast<int>(file), upload->temporary,
                                         upload->target, upload->mode);
    const bool closed = close(static_cast<int>(file)) == 0;
    if (replaced)
        upload->temporary.clear();
    return replaced && closed;
}

void DiscardUpload(UploadFile* upload)
{
    if (!upload->temporary.empty())
        unlinkat(static_cast<int>(upload->directory), upload->temporary.c_str(), 0);
    upload->temporary.clear();
    if (upload->directory != kNoFile)
        close(static_cast<int>(upload->directory));
    upload->directory = kNoFile;
}
