// The entry point on Windows: the part of start-up that the Microsoft
// Foundation Classes (MFC) do around an application object, here around
// CServerApp. The command line is not used.
#include "platform/MessageBox.h"
#include "platform/win32/WideText.h"
#include "ui/ServerApp.h"

CServerApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t path[32768] = L"";
    const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    AfxSetAppName(AppNameFromPath(NarrowToUtf8(path, static_cast<int>(length))));
    theApp.InitInstance();
    return theApp.m_exitCode;
}
