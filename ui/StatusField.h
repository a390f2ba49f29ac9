#pragma once
// The Status field as the status line. The service replaces its text at every
// step of every transfer, thousands of times a second; laying out and
// repainting an edit control costs more than handling the datagram. So the
// field takes each text at once but shows the newest at most every
// kRepaintMs: a text after a quiet spell appears at once, a burst appears as
// its last text shortly after. A text of numbers is kept as its format and
// numbers, and formatted only when it is shown or asked for.
#include "server/StatusLine.h"
#include "ui/dialog/Controls.h"

#include <chrono>

class CStatusField : public CEdit, public CStatusLine {
public:
    static constexpr int kRepaintMs = 40;

    void SetWindowText(const std::string& text) override;
    void SetWindowNumbers(const char* format, int first, int second) override;
    // The newest text, whether it is shown yet or not.
    std::string GetWindowText() const;
    void OnTimer(UINT_PTR id) override;

private:
    void ShowSoon();
    void ShowNewest();

    std::string m_text;
    std::chrono::steady_clock::time_point m_shownAt;
    bool m_shownOnce = false;
    bool m_repaintPending = false;
    const char* m_format = nullptr; // with m_numbers, the newest text instead of m_text
    int m_numbers[2] = {};
};
