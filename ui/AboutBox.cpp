#include "ui/AboutBox.h"

#include "res/ResourceIds.h"

CAboutBox::CAboutBox(CWnd* pParentWnd)
    : CDialog(IDD_ABOUTBOX, pParentWnd)
{
}

// The box shows fixed texts only; nothing is exchanged.
void CAboutBox::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}
