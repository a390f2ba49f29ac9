#include "server/StatusText.h"

#include <charconv>
#include <cstdarg>
#include <cstring>

namespace {

void AppendNumber(std::string& text, unsigned long long magnitude, bool negative, int base)
{
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, magnitude, base);
    if (negative)
        text += '-';
    text.append(digits, end.ptr);
}

} // namespace

// The texts use only %d, %x, %s and %%, without flags or widths; formatting
// them by hand costs a tenth of vsnprintf, which counts at one text a block.
std::string FormatText(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string text;
    text.reserve(64);
    for (const char* c = format; *c != '\0'; ++c) {
        const char* percent = std::strchr(c, '%');
        if (percent == nullptr || percent[1] == '\0') {
            text += c;
            break;
        }
        text.append(c, percent);
        c = percent + 1;
        switch (*c) {
        case 'd': {
            const long long value = va_arg(args, int);
            AppendNumber(text, static_cast<unsigned long long>(value < 0 ? -value : value), value < 0, 10);
            break;
        }
        case 'x': AppendNumber(text, va_arg(args, unsigned), false, 16); break;
        case 's': text += va_arg(args, const char*); break;
        default: text += *c; break;
        }
    }
    va_end(args);
    return text;
}
