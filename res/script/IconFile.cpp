#include "res/script/IconFile.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::size_t kPaletteSize = 256;
constexpr std::uint32_t kHeaderBytes = 40;
constexpr std::uint32_t kDirectoryBytes = 6 + 16;

void PutWord(std::string& bytes, std::uint32_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

void PutDword(std::string& bytes, std::uint32_t value)
{
    PutWord(bytes, value & 0xFFFF);
    PutWord(bytes, value >> 16);
}

bool Transparent(std::uint32_t argb)
{
    return (argb >> 24) == 0;
}

// Index 0 is the transparent pixels'; the opaque colours follow in the order
// they first appear.
std::vector<std::uint32_t> Palette(const CIconImage& image)
{
    std::vector<std::uint32_t> palette = {0};
    for (const std::uint32_t argb : image.argb)
        if (!Transparent(argb) && std::find(palette.begin(), palette.end(), argb) == palette.end())
            palette.push_back(argb);
    return palette;
}

std::uint32_t ImageBytes(const CIconImage& image)
{
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t colourRow = (width + 3) / 4 * 4;
    const std::uint32_t maskRow = (width + 31) / 32 * 4;
    return kHeaderBytes + kPaletteSize * 4 + (colourRow + maskRow) * height;
}

void PutDirectory(std::string& bytes, const CIconImage& image)
{
    PutWord(bytes, 0);
    PutWord(bytes, 1); // an icon
    PutWord(bytes, 1); // one image
    bytes += static_cast<char>(image.width);
    bytes += static_cast<char>(image.height);
    bytes += '\0'; // 256 colours
    bytes += '\0';
    PutWord(bytes, 1);
    PutWord(bytes, 8);
    PutDword(bytes, ImageBytes(image));
    PutDword(bytes, kDirectoryBytes);
}

// The height counts the colour rows and the mask rows.
void PutBitmapHeader(std::string& bytes, const CIconImage& image)
{
    PutDword(bytes, kHeaderBytes);
    PutDword(bytes, static_cast<std::uint32_t>(image.width));
    PutDword(bytes, static_cast<std::uint32_t>(2 * image.height));
    PutWord(bytes, 1);
    PutWord(bytes, 8);
    for (int field = 0; field < 6; ++field)
        PutDword(bytes, 0);
}

void PutPalette(std::string& bytes, const std::vector<std::uint32_t>& palette)
{
    for (std::size_t i = 0; i < kPaletteSize; ++i)
        PutDword(bytes, i < palette.size() ? palette[i] & 0xFFFFFF : 0);
}

// Both bitmaps run from the bottom row up, each row padded to four bytes.
void PutPixels(std::string& bytes, const CIconImage& image, const std::vector<std::uint32_t>& palette)
{
    for (int row = image.height - 1; row >= 0; --row) {
        for (int column = 0; column < image.width; ++column) {
            const std::uint32_t argb = image.argb[static_cast<std::size_t>(row * image.width + column)];
            const auto index = Transparent(argb) ? palette.begin() : std::find(palette.begin(), palette.end(), argb);
            bytes += static_cast<char>(index - palette.begin());
        }
        bytes.append(static_cast<std::size_t>((4 - image.width % 4) % 4), '\0');
    }
    for (int row = image.height - 1; row >= 0; --row) {
        std::string mask(static_cast<std::size_t>((image.width + 31) / 32 * 4), '\0');
        for (int column = 0; column < image.width; ++column)
            if (Transparent(image.argb[static_cast<std::size_t>(row * image.width + column)]))
                mask[static_cast<std::size_t>(column / 8)] |= static_cast<char>(0x80 >> (column % 8));
        bytes += mask;
    }
}

} // namespace

std::string IconFile(const CIconImage& image)
{
    const std::vector<std::uint32_t> palette = Palette(image);
    if (image.argb.empty() || palette.size() > kPaletteSize)
        return {};
    std::string bytes;
    PutDirectory(bytes, image);
    PutBitmapHeader(bytes, image);
    PutPalette(bytes, palette);
    PutPixels(bytes, image, palette);
    return bytes;
}
