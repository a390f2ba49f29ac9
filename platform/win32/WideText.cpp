#include "platform/win32/WideText.h"

#include <windows.h>

std::wstring WidenUtf8(const std::string& utf8, bool* valid)
{
    if (valid)
        *valid = true;
    if (utf8.empty())
        return {};
    const int length = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (wide <= 0) {
        if (valid)
            *valid = false;
        return {};
    }
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, text.data(), wide);
    return text;
}

std::wstring WidenForDisplay(const std::string& text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring shown(static_cast<std::size_t>(wide > 0 ? wide : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, shown.data(), wide);
    return shown;
}

std::string NarrowToUtf8(const wchar_t* text, int length)
{
    if (length == -1)
        length = static_cast<int>(wcslen(text));
    if (length == 0)
        return {};
    const int narrow = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0)
        return {};
    std::string utf8(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), narrow, nullptr, nullptr);
    return utf8;
}
