#include "server/StatusLine.h"

#include "server/StatusText.h"

CStatusLine* g_statusLine = nullptr;

void CStatusLine::SetWindowNumbers(const char* format, int first, int second)
{
    SetWindowText(FormatText(format, first, second));
}

void SetStatusLine(const std::string& text)
{
    if (g_statusLine)
        g_statusLine->SetWindowText(text);
}

void SetStatusNumbers(const char* format, int first, int second)
{
    if (g_statusLine)
        g_statusLine->SetWindowNumbers(format, first, second);
}
