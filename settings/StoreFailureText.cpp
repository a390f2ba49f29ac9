#include "settings/StoreFailureText.h"

#include "platform/Registry.h"

std::string StoreFailureText(LONG status)
{
    switch (status) {
    case ERROR_ACCESS_DENIED: return "this account may not write the store";
    case ERROR_SHARING_VIOLATION: return "another program held the store past the wait";
    case ERROR_BADDB: return "the store is damaged, or not a settings store";
    case ERROR_REGISTRY_IO_FAILED: return "the store could not be read or written";
    default: return "registry error " + std::to_string(status);
    }
}
