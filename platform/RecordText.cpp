#include "platform/RecordText.h"

namespace {

// Printable ASCII as it is, any other byte as \xNN.
void AppendVisible(std::string& out, char c)
{
    static const char kHex[] = "0123456789abcdef";
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
        out += c;
        return;
    }
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xf];
}

} // namespace

std::string QuotedForRecord(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        AppendVisible(out, c);
    }
    return out + '"';
}

std::string VisibleForRecord(const std::string& text)
{
    std::string out;
    for (const char c : text)
        AppendVisible(out, c);
    return out;
}

std::string RecordText(const std::string& line)
{
    return "vantrel: " + VisibleForRecord(line) + '\n';
}
