#include "platform/EventRecord.h"

#include <cerrno>
#include <sys/socket.h>
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
    // A line that cannot be written is dropped: the record must never stop
    // the service. Under a service manager standard error is a socket to the
    // journal, which may fall behind; a line it cannot take at once is
    // dropped rather than waited for.
    ssize_t sent;
    do {
        sent = ::send(STDERR_FILENO, whole.data(), whole.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0 && errno == ENOTSOCK)
            sent = ::write(STDERR_FILENO, whole.data(), whole.size());
    } while (sent < 0 && errno == EINTR);
}
