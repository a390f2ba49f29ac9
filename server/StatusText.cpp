#include "server/StatusText.h"

#include "server/StatusLine.h"

#include <cstdarg>
#include <cstdio>

std::string FormatText(const char* format, ...)
{
    char shortText[128];
    std::va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(shortText, sizeof shortText, format, args);
    va_end(args);
    if (length < 0)
        return {};
    if (static_cast<std::size_t>(length) < sizeof shortText)
        return std::string(shortText, static_cast<std::size_t>(length));
    // Long received names: format again into a string of the right size.
    std::string text(static_cast<std::size_t>(length), '\0');
    va_start(args, format);
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

void SetStatusLine(const std::string& text)
{
    if (g_statusLine)
        g_statusLine->SetWindowText(text);
}
