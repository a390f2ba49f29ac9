#include "server/TftpOptions.h"

#include "server/TftpPacket.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kOptionNames[kOptionKinds] = {"blksize", "tsize", "timeout", "windowsize"};
constexpr int kLargestTimeout = 255;
// More digits than any value that is granted needs, and fewer than overflow.
constexpr std::size_t kLongestValue = 18;

// ASCII only, whatever the locale.
bool SameIgnoringCase(const std::string& text, const char* lower)
{
    const std::size_t length = std::strlen(lower);
    if (text.size() != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != lower[i])
            return false;
    }
    return true;
}

bool OptionNamed(const std::string& name, TftpOption* option)
{
    for (int i = 0; i < kOptionKinds; ++i) {
        if (SameIgnoringCase(name, kOptionNames[i])) {
            *option = static_cast<TftpOption>(i);
            return true;
        }
    }
    return false;
}

bool ReadDecimal(const std::string& text, long long* value)
{
    if (text.empty() || text.size() > kLongestValue)
        return false;
    *value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        *value = *value * 10 + (c - '0');
    }
    return true;
}

// The strings from position on: each up to its zero byte, which must lie
// within the datagram.
class StringReader {
public:
    StringReader(const char* packet, int length, int position)
        : m_packet(packet),
          m_length(length),
          m_position(position)
    {
    }

    bool Next(std::string* text)
    {
        if (m_position >= m_length)
            return false;
        const char* start = m_packet + m_position;
        const void* zero = std::memchr(start, 0, static_cast<std::size_t>(m_length - m_position));
        if (!zero)
            return false;
        text->assign(start, static_cast<const char*>(zero));
        m_position += static_cast<int>(text->size()) + 1;
        return true;
    }

private:
    const char* m_packet;
    int m_length;
    int m_position;
};

// The value granted for what the client asked, or false to refuse it.
bool Grant(TftpOption option, long long asked, int largestBlock, long long fileSize, long long* granted)
{
    switch (option) {
    case TftpOption::BlockSize:
        *granted = std::min<long long>({asked, kLargestBlock, largestBlock});
        return asked >= kSmallestBlock;
    case TftpOption::TransferSize: *granted = fileSize >= 0 ? fileSize : asked; return true;
    case TftpOption::Timeout: *granted = asked; return asked >= 1 && asked <= kLargestTimeout;
    case TftpOption::WindowSize: *granted = std::min<long long>(asked, kLargestWindow); return asked >= 1;
    }
    return false;
}

void Apply(GrantedOptions* options, TftpOption option, long long value)
{
    switch (option) {
    case TftpOption::BlockSize: options->blockSize = static_cast<int>(value); break;
    case TftpOption::TransferSize: options->transferSize = value; break;
    case TftpOption::Timeout: options->timeoutSeconds = static_cast<int>(value); break;
    case TftpOption::WindowSize: options->windowSize = static_cast<int>(value); break;
    }
    options->granted[options->count++] = option;
}

long long ValueOf(const GrantedOptions& options, TftpOption option)
{
    switch (option) {
    case TftpOption::BlockSize: return options.blockSize;
    case TftpOption::TransferSize: return options.transferSize;
    case TftpOption::Timeout: return options.timeoutSeconds;
    case TftpOption::WindowSize: return options.windowSize;
    }
    return 0;
}

} // namespace

GrantedOptions NegotiateOptions(const char* packet, int length, int largestBlock, long long fileSize)
{
    GrantedOptions options;
    bool seen[kOptionKinds] = {};
    StringReader strings(packet, length, 2);
    std::string name, value;
    // The file name and the mode come first.
    if (!strings.Next(&name) || !strings.Next(&value))
        return options;
    while (strings.Next(&name) && strings.Next(&value)) {
        TftpOption option;
        long long asked = 0, granted = 0;
        if (!OptionNamed(name, &option) || seen[static_cast<int>(option)])
            continue;
        seen[static_cast<int>(option)] = true;
        if (ReadDecimal(value, &asked) && Grant(option, asked, largestBlock, fileSize, &granted))
            Apply(&options, option, granted);
    }
    return options;
}

std::string OptionsAcknowledgement(const GrantedOptions& options)
{
    std::string packet(2, '\0');
    WriteWord(packet.data(), 0, kOpOptionsAck);
    for (int i = 0; i < options.count; ++i) {
        const TftpOption option = options.granted[i];
        packet += kOptionNames[static_cast<int>(option)];
        packet += '\0';
        packet += std::to_string(ValueOf(options, option));
        packet += '\0';
    }
    return packet;
}

std::string OptionsForRecord(const GrantedOptions& options)
{
    std::string text;
    for (int i = 0; i < options.count; ++i) {
        const TftpOption option = options.granted[i];
        text += i ? ", " : " (";
        text += kOptionNames[static_cast<int>(option)];
        text += ' ' + std::to_string(ValueOf(options, option));
    }
    return options.count ? text + ")" : text;
}
