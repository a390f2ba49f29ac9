#include "ui/StatusField.h"

#include "server/StatusText.h"

namespace {

constexpr UINT_PTR kRepaintTimer = 1;

} // namespace

void CStatusField::SetWindowText(const std::string& text)
{
    m_text = text;
    m_format = nullptr;
    ShowSoon();
}

void CStatusField::SetWindowNumbers(const char* format, int first, int second)
{
    m_format = format;
    m_numbers[0] = first;
    m_numbers[1] = second;
    ShowSoon();
}

std::string CStatusField::GetWindowText() const
{
    return m_format ? FormatText(m_format, m_numbers[0], m_numbers[1]) : m_text;
}

// The timer's message comes only once no other message waits, so during a
// busy spell a text due to be shown is shown by the next text instead.
void CStatusField::ShowSoon()
{
    if (!GetSafeHwnd())
        return;
    const auto sinceShown
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_shownAt);
    if (!m_shownOnce || sinceShown.count() >= kRepaintMs) {
        ShowNewest();
    } else if (!m_repaintPending) {
        m_repaintPending = true;
        SetTimer(kRepaintTimer, static_cast<UINT>(kRepaintMs - sinceShown.count()));
    }
}

void CStatusField::OnTimer(UINT_PTR id)
{
    if (id != kRepaintTimer)
        return CEdit::OnTimer(id);
    ShowNewest();
}

void CStatusField::ShowNewest()
{
    if (m_repaintPending) {
        KillTimer(kRepaintTimer);
        m_repaintPending = false;
    }
    CEdit::SetWindowText(GetWindowText());
    m_shownAt = std::chrono::steady_clock::now();
    m_shownOnce = true;
}
