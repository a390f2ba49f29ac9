#pragma once
// Key paths as the store keeps them: components joined by single
// backslashes, with no leading or trailing one.
#include <string>
#include <vector>

// Empty components, such as the one after a trailing backslash, are dropped.
std::vector<std::string> SplitKeyPath(const std::string& path);

// The path of subKey below base; a null subKey names base itself.
std::string JoinKeyPath(const std::string& base, const char* subKey);
