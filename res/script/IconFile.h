#pragma once
// An icon as Windows keeps it in an .ico file: one image in 256 colours, whose
// transparent pixels the AND mask marks.
#include "res/AppIcon.h"

#include <string>

// The bytes of the .ico file; empty when the image has more than 255 opaque
// colours (the palette's first entry stands for the transparent pixels).
std::string IconFile(const CIconImage& image);
