#pragma once
// Why the settings store failed, in words for the record: headless, the record
// is the only way a service manager learns that the settings were not used.
#include "platform/WinTypes.h"

#include <string>

// The reason for a registry error of the load or the save.
std::string StoreFailureText(LONG status);
