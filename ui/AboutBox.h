#pragma once
// The About box: the program's name, version and icon (template 100).
#include "ui/dialog/Dialog.h"

class CAboutBox : public CDialog {
public:
    explicit CAboutBox(CWnd* pParentWnd = nullptr);
    void DoDataExchange(CDataExchange* pDX) override;
};
