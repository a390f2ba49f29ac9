#include "platform/RecordText.h"

static void AppendVisible(std::string& out, const std::string& text)
{
    static const char kHex[] = "0123456789abcdef";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            out += c;
            continue;
        }
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xf];
    }
}

std::string RecordText(const std::string& line)
{
    std::string whole = "vantrel: ";
    AppendVisible(whole, line);
    whole += '\n';
    return whole;
}
