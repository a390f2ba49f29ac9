#include "platform/RequestedName.h"

FolderAndFile SplitRequestedName(const std::string& name)
{
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), name};
    return {name.substr(0, slash), name.substr(slash + 1)};
}
