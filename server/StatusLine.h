#pragma once
#include <string>

// The one-line Status field of the main window as the service sees it: every
// write replaces the whole text. The window provides the real one; tests point
// g_statusLine at a recorder.
class CStatusLine {
public:
    virtual ~CStatusLine() = default;
    virtual void SetWindowText(const std::string& text) = 0;
    // The text that format, with %d for each number, makes of two numbers;
    // a line that shows only some of its texts may format only those. This
    // one formats it at once.
    virtual void SetWindowNumbers(const char* format, int first, int second);
};

// Set once by the main window before the service starts; never cleared.
extern CStatusLine* g_statusLine;

// Replaces the whole text of the status line.
void SetStatusLine(const std::string& text);
// Replaces it with the text that format makes of the numbers.
void SetStatusNumbers(const char* format, int first, int second);
