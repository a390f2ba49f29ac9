#include "ui/StatusField.h"

CStatusField::CStatusField()
{
    m_repaint.setSingleShot(true);
    m_repaint.callOnTimeout([this] { ShowNewest(); });
}

void CStatusField::SetWindowText(const std::string& text)
{
    m_text = text;
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
    CEdit::SetWindowText(m_text);
    m_sinceShown.start();
}
