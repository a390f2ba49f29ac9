#include "platform/HeadlessDisplay.h"

#include <cstdlib>

namespace {

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

void UseOffscreenWithoutDisplay()
{
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
}
