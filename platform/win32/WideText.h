#pragma once
// Texts inside the program are UTF-8 bytes; Windows' own W calls take UTF-16.
// These convert at those calls, exactly and both ways, whatever the
// characters: no code page stands between, so nothing is best-fitted or
// replaced by '?'.
#include <string>

// The UTF-16 form of utf8; false in *valid (when given) and an empty text
// when utf8 is not valid UTF-8.
std::wstring WidenUtf8(const std::string& utf8, bool* valid = nullptr);
// The UTF-16 form of a text that is only shown (a window's text, a box's):
// bytes that are not valid UTF-8, such as those of a name a client sent, show
// as U+FFFD instead of emptying the text. Valid UTF-8 converts as WidenUtf8.
std::wstring WidenForDisplay(const std::string& text);
// The UTF-8 form of a UTF-16 text of length characters (or up to its zero
// when length is -1).
std::string NarrowToUtf8(const wchar_t* text, int length = -1);
inline std::string NarrowToUtf8(const std::wstring& text)
{
    return NarrowToUtf8(text.c_str(), static_cast<int>(text.size()));
}
