#include "platform/TemporaryUpload.h"

#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// The sweep walks the folder's subfolders by descriptor, never through a
// symbolic link, and only so far: a tree deeper or larger than any the uploads
// of one run would have filled holds the start for a moment, not for long.
constexpr int kDeepestSubfolder = 16;
constexpr long kMostEntries = 100000;

struct Sweep {
    int removed = 0;
    long entriesLeft = kMostEntries;
};

// Removes the temporaries of the folder listed and names its subfolders.
static std::vector<std::string> RemoveTemporaries(DIR* listing, Sweep* sweep)
{
    const int directory = dirfd(listing);
    std::vector<std::string> subfolders;
    while (sweep->entriesLeft > 0) {
        const dirent* entry = readdir(listing);
        if (!entry)
            break;
        --sweep->entriesLeft;
        const std::string name = entry->d_name;
        struct stat info = {};
        if (name == "." || name == ".." || fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            subfolders.push_back(name);
        else if (S_ISREG(info.st_mode) && IsTemporaryUploadNameAsMade(name)
                 && unlinkat(directory, name.c_str(), 0) == 0)
            ++sweep->removed;
    }
    return subfolders;
}

// Takes directory over, and closes it.
static void SweepFolder(int directory, int depth, Sweep* sweep)
{
    DIR* listing = fdopendir(directory);
    if (!listing) {
        close(directory);
        return;
    }
    for (const std::string& name : RemoveTemporaries(listing, sweep)) {
        const int subfolder = depth < kDeepestSubfolder
            ? openat(dirfd(listing), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
            : -1;
        if (subfolder >= 0)
            SweepFolder(subfolder, depth + 1, sweep);
    }
    closedir(listing);
}

int RemoveTemporaryUploadFiles(const std::string& writeDir)
{
    const int directory = open(writeDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        return 0;
    Sweep sweep;
    SweepFolder(directory, 0, &sweep);
    return sweep.removed;
}
