#include "res/StringTable.h"

#include "res/ResourceIds.h"

#include <map>

namespace {

const std::map<UINT, std::string>& Table()
{
    static const std::map<UINT, std::string> table = {
        {IDS_MODIFY, "Modify"},
        {IDS_BROWSE, "..."},
        {IDS_ABOUTBOX, "&About Vantrel..."},
        {IDS_SOCKETS_INIT_FAILED, "Windows sockets initialization failed."},
    };
    return table;
}

std::map<UINT, std::string>& Overrides()
{
    static std::map<UINT, std::string> overrides;
    return overrides;
}

std::string Lookup(const std::map<UINT, std::string>& strings, UINT id, const std::string& missing)
{
    const auto found = strings.find(id);
    return found == strings.end() ? missing : found->second;
}

} // namespace

std::string LoadResString(UINT id)
{
    return Lookup(Overrides(), id, Lookup(Table(), id, {}));
}

std::vector<UINT> StringIds()
{
    std::vector<UINT> ids;
    for (const auto& [id, text] : Table())
        ids.push_back(id);
    return ids;
}

void SetResStringOverride(UINT id, const std::string& text)
{
    Overrides()[id] = text;
}

void ClearResStringOverrides()
{
    Overrides().clear();
}
