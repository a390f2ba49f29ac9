#pragma once
// Icon 128, the application icon: one 32 x 32 image in 256 colours, drawn as
// an XPM picture in AppIcon.xpm.
#include <cstdint>
#include <vector>

struct CIconImage {
    int width = 0;
    int height = 0;
    // Row by row from the top, 0xAARRGGBB; a transparent pixel is 0.
    std::vector<std::uint32_t> argb;
};

// The icon resource with this id; an empty image when there is none.
CIconImage LoadIconImage(int iconId);
