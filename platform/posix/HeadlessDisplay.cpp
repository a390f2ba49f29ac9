#include "platform/HeadlessDisplay.h"

#include "platform/EventRecord.h"

#include <QGuiApplication>

#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool g_displayMayFail = false;

const char* Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

// Qt tries the platforms of the list in turn and takes the first that opens.
const char* PlatformList()
{
    if (Variable("WAYLAND_DISPLAY"))
        return "wayland;xcb;offscreen";
    if (Variable("DISPLAY"))
        return "xcb;offscreen";
    return "offscreen";
}

} // namespace

void ChooseDisplayPlatform()
{
    if (Variable("QT_QPA_PLATFORM"))
        return;
    const char* platforms = PlatformList();
    g_displayMayFail = std::string_view(platforms) != "offscreen";
    setenv("QT_QPA_PLATFORM", platforms, 1);
}

bool StartedHeadless()
{
    const bool headless = QGuiApplication::platformName() == "offscreen";
    if (headless && g_displayMayFail) {
        const char* display = Variable("WAYLAND_DISPLAY") ? Variable("WAYLAND_DISPLAY") : Variable("DISPLAY");
        WriteRecordLine(std::string("cannot open display ") + display + ", running headless");
    }
    return headless;
}
