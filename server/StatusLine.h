#pragma once
#include <string>

// The one-line Status field of the main window as the service sees it: every
// write replaces the whole text. The window provides the real one; tests point
// g_statusLine at a recorder.
class CStatusLine {
public:
    virtual ~CStatusLine() = default;
    virtual void SetWindowText(const std::string& text) = 0;
};

// Set once by the main window before the service starts; never cleared.
extern CStatusLine* g_statusLine;

// Replaces the whole text of the status line.
void SetStatusLine(const std::string& text);
