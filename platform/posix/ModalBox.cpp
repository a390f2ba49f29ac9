#include "platform/ModalBox.h"

#include "platform/WinTypes.h"

#include <QMessageBox>
#include <QString>

int ShowModalBox(const std::string& text, const std::string& caption)
{
    QMessageBox box(QMessageBox::Warning, QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text),
                    QMessageBox::Ok);
    box.exec();
    return IDOK;
}
