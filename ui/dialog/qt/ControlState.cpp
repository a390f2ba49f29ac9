#include "ui/dialog/ControlState.h"

#include "ui/dialog/qt/WindowHandle.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

QLineEdit* LineEdit(HWND hWnd)
{
    return qobject_cast<QLineEdit*>(QtWidget(hWnd));
}

QCheckBox* CheckBox(HWND hWnd)
{
    return qobject_cast<QCheckBox*>(QtWidget(hWnd));
}

} // namespace

bool IsEditControl(HWND control)
{
    return LineEdit(control) != nullptr;
}

std::string GetEditText(HWND edit)
{
    return LineEdit(edit)->text().toLocal8Bit().toStdString();
}

// The caret goes to the start, so a text wider than the field shows its
// first characters.
void SetEditText(HWND edit, const std::string& text)
{
    QLineEdit* line = LineEdit(edit);
    line->setText(QString::fromLocal8Bit(text));
    line->setCursorPosition(0);
}

bool IsCheckBox(HWND control)
{
    return CheckBox(control) != nullptr;
}

int GetCheck(HWND box)
{
    return CheckBox(box)->isChecked() ? 1 : 0;
}

void SetCheck(HWND box, int state)
{
    CheckBox(box)->setChecked(state != 0);
}
