#include "ui/AboutBox.h"

#include "res/ResourceIds.h"

CAboutBox::CAboutBox(QWidget* parent)
    : CDialog(IDD_ABOUTBOX, parent)
{
}

// The box shows fixed texts only; nothing is exchanged.
void CAboutBox::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}
