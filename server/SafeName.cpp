#include "server/SafeName.h"

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
    if (!name.empty() && IsSeparator(name[0]))
        return false;
    return !HasDrivePrefix(name) && !HasParentComponent(name);
}

std::string JoinPath(const std::string& directory, const std::string& name)
{
    std::string path;
    path.reserve(directory.size() + 1 + name.size());
    path += directory;
    path += '/';
    path += name;
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(directory.size()), path.end(), '\\', '/');
    return path;
}
