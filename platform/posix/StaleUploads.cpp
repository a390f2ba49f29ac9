#include "platform/TemporaryUpload.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static bool IsRegularFile(int directory, const char* name)
{
    struct stat info = {};
    return fstatat(directory, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
}

static int RemoveTemporaries(DIR* listing)
{
    const int directory = dirfd(listing);
    int removed = 0;
    while (const dirent* entry = readdir(listing)) {
        if (IsTemporaryUploadNameAsMade(entry->d_name) && IsRegularFile(directory, entry->d_name)
            && unlinkat(directory, entry->d_name, 0) == 0)
            ++removed;
    }
    return removed;
}

int RemoveTemporaryUploadFiles(const std::string& writeDir)
{
    DIR* listing = opendir(writeDir.c_str());
    if (!listing)
        return 0;
    const int removed = RemoveTemporaries(listing);
    closedir(listing);
    return removed;
}
