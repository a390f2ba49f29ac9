#include "platform/TemporaryUpload.h"

#include "platform/EventRecord.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

// Well within the 255 bytes a name may have.
constexpr std::size_t kKeptNameLength = 200;
constexpr std::string_view kMarker = ".upload-";
constexpr std::size_t kDigits = 16;

std::string TemporaryUploadName(const std::string& target)
{
    char digits[kDigits + 1];
    std::snprintf(digits, sizeof digits, "%08x%08x", arc4random(), arc4random());
    std::string name(1, '.');
    name.append(target, 0, kKeptNameLength);
    name.append(kMarker);
    name.append(digits);
    return name;
}

static bool IsLowercaseHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool IsTemporaryUploadName(const std::string& name)
{
    const std::size_t fixed = 1 + kMarker.size() + kDigits;
    if (name.size() <= fixed || name.size() > fixed + kKeptNameLength || name[0] != '.')
        return false;
    const std::string_view tail = std::string_view(name).substr(name.size() - kMarker.size() - kDigits);
    return tail.substr(0, kMarker.size()) == kMarker
        && std::all_of(tail.begin() + kMarker.size(), tail.end(), IsLowercaseHex);
}

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
        if (IsTemporaryUploadName(entry->d_name) && IsRegularFile(directory, entry->d_name)
            && unlinkat(directory, entry->d_name, 0) == 0)
            ++removed;
    }
    return removed;
}

void RemoveStaleUploads(const std::string& writeDir)
{
    if (writeDir.empty())
        return;
    DIR* listing = opendir(writeDir.c_str());
    if (!listing)
        return;
    const int removed = RemoveTemporaries(listing);
    closedir(listing);
    if (removed > 0)
        WriteRecordLine("removed " + std::to_string(removed) + " temporary file(s) of unfinished uploads from "
                        + writeDir);
}
