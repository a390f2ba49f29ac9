#include "ui/StatusField.h"

#include "server/StatusText.h"

CStatusField::CStatusField()
{
    m_repaint.setSingleShot(true);
    m_repaint.callOnTimeout([this] { ShowNewest(); });
}

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

void CStatusField::ShowSoon()
{
    if (m_repaint.isActive())
        return;
    const qint64 sinceShown = m_sinceShown.isValid() ? m_sinceShown.elapsed() : kRepaintMs;
    if (sinceShown >= kRepaintMs)
        ShowNewest();
    else
        m_repaint.start(static_cast<int>(kRepaintMs - sinceShown));
}

void CStatusField::ShowNewest()
{
    CEdit::SetWindowText(GetWindowText());
    m_sinceShown.start();
}
