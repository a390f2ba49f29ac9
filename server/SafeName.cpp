#include "server/SafeName.h"

#include "platform/RequestedName.h"
#include "platform/TemporaryUpload.h"

#include <algorithm>
#include <cctype>

static bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

static bool HasDrivePrefix(const std::string& name)
{
    return name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

static bool IsNetworkPath(const std::string& name)
{
    return name.rfind("\\\\", 0) == 0;
}

static bool HasParentComponent(const std::string& name)
{
    auto start = name.begin();
    while (true) {
        auto end = std::find_if(start, name.end(), IsSeparator);
        if (end - start == 2 && start[0] == '.' && start[1] == '.')
            return true;
        if (end == name.end())
            return false;
        start = end + 1;
    }
}

bool IsSafeName(const std::string& name)
{
    return !IsNetworkPath(name) && !HasDrivePrefix(name) && !HasParentComponent(name);
}

std::string ServedName(const std::string& name)
{
    std::string served(std::find_if_not(name.begin(), name.end(), IsSeparator), name.end());
    std::replace(served.begin(), served.end(), '\\', '/');
    return served;
}

bool NamesTemporaryUpload(const std::string& name)
{
    const std::string served = ServedName(name);
    return IsTemporaryUploadName(SplitRequestedName(served).file);
}
