#include "tests/e2e/win32/support/WindowPicture.h"

#include "tests/e2e/win32/support/VantrelWindow.h"

// GDI+ needs the COM types that a lean <windows.h> leaves out.
#include <objidl.h>

#include <gdiplus.h>

#include <cstdlib>
#include <string>

namespace {

// GDI+'s encoder of PNG files.
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

bool SavePng(HBITMAP picture, const std::string& path)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return false;
    const std::wstring widePath(path.begin(), path.end());
    bool saved = false;
    {
        Gdiplus::Bitmap bitmap(picture, nullptr);
        saved = bitmap.Save(widePath.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

} // namespace

void SaveWindowPicture(HWND window, const char* name)
{
    const char* folder = std::getenv("VANTREL_PICTURES");
    if (!folder || !*folder)
        return;
    // The window paints in its own time once it is shown.
    Sleep(500);
    RECT frame = {};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, previous);
    SavePng(picture, WinePath(std::string(folder) + "/winui-" + name + ".png"));
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}
