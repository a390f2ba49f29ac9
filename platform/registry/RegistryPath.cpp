#include "platform/registry/RegistryPath.h"

std::vector<std::string> SplitKeyPath(const std::string& path)
{
    std::vector<std::string> components;
    std::string component;
    for (char c : path) {
        if (c != '\\') {
            component += c;
        } else if (!component.empty()) {
            components.push_back(component);
            component.clear();
        }
    }
    if (!component.empty())
        components.push_back(component);
    return components;
}

std::string JoinKeyPath(const std::string& base, const char* subKey)
{
    std::string joined;
    for (const std::string& component : SplitKeyPath(base + '\\' + (subKey ? subKey : ""))) {
        if (!joined.empty())
            joined += '\\';
        joined += component;
    }
    return joined;
}
