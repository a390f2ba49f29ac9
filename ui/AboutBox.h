#pragma once
// The About box: the program's name, version and icon (template 100).
#include "ui/dialog/Dialog.h"

class CAboutBox : public CDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);
    void DoDataExchange(CDataExchange* pDX) override;
};
