#include "platform/EventRecord.h"

#include <cerrno>
#include <unistd.h>

namespace {

void AppendVisible(std::string& out, const std::string& text)
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

} // namespace

void WriteRecordLine(const std::string& line)
{
    std::string whole = "vantrel: ";
    AppendVisible(whole, line);
    whole += '\n';
    // A line that cannot be written is dropped: the record must never stop the service.
    while (::write(STDERR_FILENO, whole.data(), whole.size()) < 0 && errno == EINTR) {
    }
}
