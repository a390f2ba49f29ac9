#include "tests/e2e/win32/support/VantrelWindow.h"

#include "platform/win32/WideText.h"
#include "res/ResourceIds.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct WindowSearch {
    DWORD processId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<WindowSearch*>(search);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != wanted->processId || !IsWindowVisible(window) || TextOf(window) != wanted->caption)
        return TRUE;
    wanted->found = window;
    return FALSE;
}

struct ChildSearch {
    const std::string& text;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM search)
{
    auto* wanted = reinterpret_cast<ChildSearch*>(search);
    if (TextOf(child) != wanted->text)
        return TRUE;
    wanted->found = child;
    return FALSE;
}

} // namespace

std::string WinePath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::filesystem::path WidePath(const std::string& unixPath)
{
    return std::filesystem::path(WidenUtf8(WinePath(unixPath)));
}

std::string ReadFileBytes(const std::string& unixPath)
{
    std::ifstream file(WidePath(unixPath), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return file ? bytes.str() : "<missing>";
}

void WriteFileBytes(const std::string& unixPath, const std::string& bytes)
{
    std::ofstream(WidePath(unixPath), std::ios::binary) << bytes;
}

// Wine starts a program of the host when asked for its path as a Windows
// path, but cannot wait for it: a shell runs the command and then writes its
// exit status into a file, which this side waits for.
int RunHostCommand(const std::string& command, const std::function<void()>& meanwhile, DWORD timeoutMs)
{
    static int runs = 0;
    const std::string statusFile = "/tmp/host-command-" + std::to_string(++runs);
    std::string line = "Z:\\bin\\sh -c \"" + command + "; echo $? > " + statusFile + "\"";
    std::wstring wideLine = WidenUtf8(line);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (meanwhile)
        meanwhile();
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        const std::string status = ReadFileBytes(statusFile);
        if (!status.empty() && status != "<missing>" && status.back() == '\n')
            return std::stoi(status);
        Sleep(10);
    } while (GetTickCount64() < deadline);
    return -1;
}

HWND WaitForWindow(DWORD processId, const char* caption, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        WindowSearch search = {processId, caption, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(20);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

std::string TextOf(HWND window)
{
    wchar_t text[1024] = L"";
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return NarrowToUtf8(text);
}

HWND ChildWithText(HWND parent, const std::string& text)
{
    ChildSearch search = {text, nullptr};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Click(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

VantrelWindow::~VantrelWindow()
{
    if (!m_process.hProcess)
        return;
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(m_process.hProcess, 1);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

bool VantrelWindow::Launch()
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const std::string program = WinePath(VANTREL_BINARY_DIR "/ui/vantrel.exe");
    return CreateProcessA(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_process);
}

bool VantrelWindow::Start()
{
    if (!Launch())
        return false;
    m_main = WaitForWindow(m_process.dwProcessId, "Vantrel server");
    return m_main != nullptr;
}

int VantrelWindow::WaitForExit(DWORD timeoutMs)
{
    DWORD code = 0;
    if (WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0
        || !GetExitCodeProcess(m_process.hProcess, &code))
        return -1;
    return static_cast<int>(code);
}

HWND VantrelWindow::Item(int id) const
{
    return GetDlgItem(m_main, id);
}

int VantrelWindow::Checked(int id) const
{
    return static_cast<int>(SendMessageA(Item(id), BM_GETCHECK, 0, 0));
}

std::vector<std::string> VantrelWindow::ListedItems() const
{
    std::vector<std::string> items;
    const HWND list = Item(IDC_SEARCH_DIRS);
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    // Wine carries the text of another process's list box in UTF-16 only.
    for (int i = 0; i < count; ++i) {
        wchar_t item[1024] = L"";
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        items.push_back(NarrowToUtf8(item));
    }
    return items;
}

std::vector<std::string> VantrelWindow::WatchStatusUntil(const std::string& last, DWORD timeoutMs) const
{
    std::vector<std::string> seen;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while ((seen.empty() || seen.back() != last) && GetTickCount64() < deadline) {
        const std::string text = Text(IDC_STATUS);
        if (seen.empty() || seen.back() != text)
            seen.push_back(text);
        Sleep(1);
    }
    return seen;
}
