#include "ui/dialog/Controls.h"

#include "ui/dialog/qt/TemplateLoader.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

void SetEditText(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    edit->setCursorPosition(0);
}

CWnd::~CWnd()
{
    delete m_hWnd.data();
}

BOOL CWnd::SubclassWindow(QWidget* control)
{
    if (!control || !AcceptsControl(control))
        return FALSE;
    m_hWnd = control;
    return TRUE;
}

bool CWnd::AcceptsControl(QWidget*) const
{
    return true;
}

void CWnd::SetWindowText(const std::string& text)
{
    const QString value = QString::fromLocal8Bit(text);
    if (auto* edit = qobject_cast<QLineEdit*>(m_hWnd.data()))
        SetEditText(edit, value);
    else if (auto* button = qobject_cast<QAbstractButton*>(m_hWnd.data()))
        button->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(m_hWnd.data()))
        label->setText(value);
    else if (m_hWnd)
        m_hWnd->setWindowTitle(value);
}

std::string CWnd::GetWindowText() const
{
    QString value;
    if (auto* edit = qobject_cast<QLineEdit*>(m_hWnd.data()))
        value = edit->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(m_hWnd.data()))
        value = button->text();
    else if (auto* label = qobject_cast<QLabel*>(m_hWnd.data()))
        value = label->text();
    else if (m_hWnd)
        value = m_hWnd->windowTitle();
    return value.toLocal8Bit().toStdString();
}

QLineEdit* CEdit::LineEdit() const
{
    return qobject_cast<QLineEdit*>(m_hWnd.data());
}

bool CEdit::AcceptsControl(QWidget* control) const
{
    return qobject_cast<QLineEdit*>(control) != nullptr;
}

int CListBox::AddString(const std::string& text)
{
    QListWidget* list = ListWidget();
    if (!list)
        return LB_ERR;
    const QString item = QString::fromLocal8Bit(text);
    int row = list->count();
    // The sorted style orders as Windows does: ignoring case, a new item
    // after the equal ones already listed.
    if (list->property(kSortedListProperty).toBool()) {
        row = 0;
        while (row < list->count() && list->item(row)->text().compare(item, Qt::CaseInsensitive) <= 0)
            ++row;
    }
    list->insertItem(row, item);
    return row;
}

int CListBox::DeleteString(UINT index)
{
    QListWidget* list = ListWidget();
    if (!list || index >= static_cast<UINT>(list->count()))
        return LB_ERR;
    QListWidgetItem* item = list->item(static_cast<int>(index));
    const bool wasSelected = item->isSelected();
    delete list->takeItem(static_cast<int>(index));
    // The list widget would select the neighbour in its place.
    if (wasSelected)
        list->clearSelection();
    return list->count();
}

int CListBox::GetCurSel() const
{
    QListWidget* list = ListWidget();
    if (!list)
        return LB_ERR;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? LB_ERR : list->row(selected.first());
}

void CListBox::GetText(int index, std::string& text) const
{
    QListWidget* list = ListWidget();
    if (list && index >= 0 && index < list->count())
        text = list->item(index)->text().toLocal8Bit().toStdString();
}

QListWidget* CListBox::ListWidget() const
{
    return qobject_cast<QListWidget*>(m_hWnd.data());
}

bool CListBox::AcceptsControl(QWidget* control) const
{
    return qobject_cast<QListWidget*>(control) != nullptr;
}

QAbstractButton* CButton::Button() const
{
    return qobject_cast<QAbstractButton*>(m_hWnd.data());
}

bool CButton::AcceptsControl(QWidget* control) const
{
    return qobject_cast<QAbstractButton*>(control) != nullptr;
}
