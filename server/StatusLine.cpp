#include "server/StatusLine.h"

CStatusLine* g_statusLine = nullptr;

void SetStatusLine(const std::string& text)
{
    if (g_statusLine)
        g_statusLine->SetWindowText(text);
}
