#include "res/AppIcon.h"

#include "res/AppIcon.xpm"
#include "res/ResourceIds.h"

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000;

// Reads an XPM picture of one character per pixel whose colours are "None"
// or "#RRGGBB", as AppIcon.xpm is drawn.
CIconImage ReadXpm(const char* const* xpm)
{
    CIconImage image;
    int colours = 0;
    int charsPerPixel = 0;
    if (std::sscanf(xpm[0], "%d %d %d %d", &image.width, &image.height, &colours, &charsPerPixel) != 4
        || charsPerPixel != 1)
        return {};
    std::map<char, std::uint32_t> palette;
    for (int i = 1; i <= colours; ++i) {
        const std::string entry = xpm[i];
        const std::string value = entry.substr(entry.find(" c ") + 3);
        palette[entry[0]] = value == "None" ? 0 : kOpaque | std::stoul(value.substr(1), nullptr, 16);
    }
    for (int row = 0; row < image.height; ++row)
        for (int column = 0; column < image.width; ++column)
            image.argb.push_back(palette[xpm[1 + colours + row][column]]);
    return image;
}

} // namespace

CIconImage LoadIconImage(int iconId)
{
    return iconId == IDR_MAINFRAME ? ReadXpm(app_icon_xpm) : CIconImage();
}
