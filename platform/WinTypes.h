#pragma once
// The plain Windows types and constants that the program's interfaces are
// written in, so that the code reads as it would against the real platform.
// On Windows they are Windows' own; elsewhere the definitions below stand in
// for them with the same sizes, signedness and values.
#ifdef _WIN32
#include <windows.h>
// The framework's windows have members named as the Microsoft Foundation
// Classes (MFC) name them; USER32's macros of the same names would turn them
// into their "A" forms in some files and not in others.
#undef AppendMenu
#undef GetWindowText
#undef SetWindowText
#else
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using BYTE = std::uint8_t;
using UINT_PTR = std::uintptr_t;
using LPCSTR = const char*;
using HWND = void*;
using HANDLE = void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

constexpr UINT WM_TIMER = 0x0113;
#endif
