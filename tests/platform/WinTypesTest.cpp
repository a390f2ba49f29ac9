// The Windows types and constants that the program is written in: Linux's
// stand-ins must agree with Windows' own headers in size, signedness and
// value. Both builds compile the same checks, so a stand-in that drifts from
// Windows fails to build.
#include "platform/WinTypes.h"

#include <gtest/gtest.h>
#include <type_traits>

template <typename T, std::size_t size, bool isSigned>
constexpr bool kIsInteger = sizeof(T) == size&& std::is_signed_v<T> == isSigned;

TEST(WinTypes, AgreeWithWindowsInSizeSignednessAndValue)
{
    static_assert(kIsInteger<BOOL, 4, true>);
    static_assert(kIsInteger<UINT, 4, false>);
    static_assert(kIsInteger<DWORD, 4, false>);
    static_assert(kIsInteger<LONG, 4, true>);
    static_assert(kIsInteger<BYTE, 1, false>);
    static_assert(kIsInteger<UINT_PTR, sizeof(void*), false>);
    static_assert(std::is_same_v<LPCSTR, const char*>);
    static_assert(sizeof(HWND) == sizeof(void*) && sizeof(HANDLE) == sizeof(void*));
    static_assert(TRUE == 1 && FALSE == 0);
    static_assert(MB_OK == 0x0 && MB_ICONEXCLAMATION == 0x30 && IDOK == 1 && IDCANCEL == 2);
    static_assert(WM_TIMER == 0x0113);
}
