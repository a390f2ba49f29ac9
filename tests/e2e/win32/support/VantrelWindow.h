#pragma once
// The real vantrel.exe under wine, started as a technician starts it and
// driven from outside as a user drives it: with the messages its controls
// answer (BM_CLICK, WM_GETTEXT, BM_GETCHECK, the list box's messages), sent
// to its windows across the process boundary.
#include "platform/WinUser.h"

#include <functional>
#include <string>
#include <vector>

// A path of this machine as Windows programs under wine name it. Paths and
// texts are UTF-8 here, as in the program.
std::string WinePath(const std::string& unixPath);
std::string ReadFileBytes(const std::string& unixPath);
void WriteFileBytes(const std::string& unixPath, const std::string& bytes);
// Runs a shell command of the host to its end, meanwhile running meanwhile;
// its exit status, or -1 when it did not start or end within timeoutMs.
int RunHostCommand(const std::string& command, const std::function<void()>& meanwhile = {}, DWORD timeoutMs = 30000);

// A window of another process, found by its caption among the top-level
// windows of that process; null when none comes up within timeoutMs.
HWND WaitForWindow(DWORD processId, const char* caption, DWORD timeoutMs = 10000);
std::string TextOf(HWND window);
// The child with this text, the first found.
HWND ChildWithText(HWND parent, const std::string& text);
// Clicks a button by posting BM_CLICK, so that a modal dialog the click
// opens does not hold the caller.
void Click(HWND button);

class VantrelWindow {
public:
    VantrelWindow() = default;
    VantrelWindow(const VantrelWindow&) = delete;
    VantrelWindow& operator=(const VantrelWindow&) = delete;
    // Ends the process if it still runs.
    ~VantrelWindow();

    // Starts vantrel.exe; false when it cannot be started.
    bool Launch();
    // Launches it and waits for its main window; false when none comes up.
    bool Start();
    // Waits for the process to end; its exit code, or -1.
    int WaitForExit(DWORD timeoutMs = 10000);

    HWND Main() const { return m_main; }
    HWND Item(int id) const;
    DWORD ProcessId() const { return m_process.dwProcessId; }
    std::string Text(int id) const { return TextOf(Item(id)); }
    int Checked(int id) const;
    std::vector<std::string> ListedItems() const;
    // The texts seen while polling the Status field until it shows last.
    std::vector<std::string> WatchStatusUntil(const std::string& last, DWORD timeoutMs = 30000) const;

private:
    PROCESS_INFORMATION m_process = {};
    HWND m_main = nullptr;
};
