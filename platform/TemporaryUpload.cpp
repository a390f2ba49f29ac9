#include "platform/TemporaryUpload.h"

#include "platform/EventRecord.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string_view>

// Well within the 255 bytes a name may have.
constexpr std::size_t kKeptNameLength = 200;
constexpr std::string_view kMarker = ".upload-";
constexpr std::size_t kDigits = 16;

std::string TemporaryUploadName(const std::string& target)
{
    char digits[kDigits + 1];
    std::random_device random;
    std::snprintf(digits, sizeof digits, "%08x%08x", random(), random());
    // Cut where a character begins: on Windows the name must stay UTF-8.
    std::size_t kept = std::min(target.size(), kKeptNameLength);
    while (kept < target.size() && (static_cast<unsigned char>(target[kept]) & 0xC0) == 0x80)
        --kept;
    std::string name(1, '.');
    name.append(target, 0, kept);
    name.append(kMarker);
    name.append(digits);
    return name;
}

// Windows finds a file by its name in any case, so there a request for
// ".A.UPLOAD-0F..." names the temporary file ".a.upload-0f..." all the same.
#ifdef _WIN32
constexpr bool kNamesMatchInAnyCase = true;
#else
constexpr bool kNamesMatchInAnyCase = false;
#endif

static char Folded(char c, bool anyCase)
{
    return anyCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether name has the form TemporaryUploadName gives, its letters in any
// case when anyCase is set.
static bool HasTemporaryUploadForm(const std::string& name, bool anyCase)
{
    const std::size_t fixed = 1 + kMarker.size() + kDigits;
    if (name.size() <= fixed || name.size() > fixed + kKeptNameLength || name[0] != '.')
        return false;
    const std::string_view tail = std::string_view(name).substr(name.size() - kMarker.size() - kDigits);
    const auto isLowercaseHex = [anyCase](char c) {
        c = Folded(c, anyCase);
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    };
    return std::equal(kMarker.begin(), kMarker.end(), tail.begin(),
                      [anyCase](char marker, char c) { return Folded(c, anyCase) == marker; })
        && std::all_of(tail.begin() + kMarker.size(), tail.end(), isLowercaseHex);
}

bool IsTemporaryUploadName(const std::string& name)
{
    return HasTemporaryUploadForm(name, kNamesMatchInAnyCase);
}

bool IsTemporaryUploadNameAsMade(const std::string& name)
{
    return HasTemporaryUploadForm(name, false);
}

void RemoveStaleUploads(const std::string& writeDir)
{
    if (writeDir.empty())
        return;
    const int removed = RemoveTemporaryUploadFiles(writeDir);
    if (removed > 0)
        WriteRecordLine("removed " + std::to_string(removed) + " temporary file(s) of unfinished uploads from "
                        + writeDir);
}
