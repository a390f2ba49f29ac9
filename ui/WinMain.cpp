// The entry point on Windows: the part of start-up that the Microsoft
// Foundation Classes (MFC) do around an application object, here around
// CServerApp. The command line is not used.
#include "platform/MessageBox.h"
#include "ui/ServerApp.h"

CServerApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    AfxSetAppName(AppNameFromPath(std::string(path, length)));
    theApp.InitInstance();
    return theApp.m_exitCode;
}
