#include "ui/dialog/Controls.h"

#include "ui/dialog/ControlState.h"
#include "ui/dialog/qt/DialogWindow.h"
#include "ui/dialog/qt/TemplateLoader.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

QListWidget* ListWidget(HWND hWnd)
{
    return qobject_cast<QListWidget*>(QtWidget(hWnd));
}

QTimer* FindTimer(const QObject* owner, UINT_PTR id)
{
    for (QTimer* timer : owner->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
        if (timer->property("vantrelTimerId").toULongLong() == id)
            return timer;
    return nullptr;
}

} // namespace

CWndBinding::CWndBinding(CWnd* wnd, QWidget* widget)
    : QObject(widget),
      m_wnd(wnd)
{
    m_wnd->m_hWnd = QtHandle(widget);
    widget->installEventFilter(this);
}

CWndBinding::~CWndBinding()
{
    m_wnd->m_hWnd = nullptr;
}

CWndBinding* CWndBinding::Of(const QWidget* widget)
{
    return widget ? widget->findChild<CWndBinding*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void CWndBinding::SetTimer(UINT_PTR id, UINT elapseMs)
{
    QTimer* timer = FindTimer(this, id);
    if (!timer) {
        timer = new QTimer(this);
        timer->setProperty("vantrelTimerId", static_cast<qulonglong>(id));
        connect(timer, &QTimer::timeout, this, [this, id] { m_wnd->OnTimer(id); });
    }
    timer->start(static_cast<int>(elapseMs));
}

void CWndBinding::KillTimer(UINT_PTR id)
{
    delete FindTimer(this, id);
}

// Qt has no messages: a message carries the kind of the event.
bool CWndBinding::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != parent())
        return false;
    MSG message = {m_wnd->m_hWnd, static_cast<UINT>(event->type()), 0, 0};
    return m_wnd->PreTranslateMessage(&message);
}

CWnd::~CWnd()
{
    delete QtWidget(m_hWnd);
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || !AcceptsWindow(hWnd))
        return FALSE;
    return Attach(hWnd);
}

BOOL CWnd::Attach(HWND hWnd)
{
    new CWndBinding(this, QtWidget(hWnd));
    return TRUE;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    const CWndBinding* binding = CWndBinding::Of(QtWidget(hWnd));
    return binding ? binding->Wnd() : nullptr;
}

bool CWnd::AcceptsWindow(HWND) const
{
    return true;
}

void CWnd::SetWindowText(const std::string& text)
{
    QWidget* widget = QtWidget(m_hWnd);
    const QString value = QString::fromLocal8Bit(text);
    if (IsEditControl(m_hWnd))
        SetEditText(m_hWnd, text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(value);
    else if (widget)
        widget->setWindowTitle(value);
}

std::string CWnd::GetWindowText() const
{
    QWidget* widget = QtWidget(m_hWnd);
    QString value;
    if (IsEditControl(m_hWnd))
        return GetEditText(m_hWnd);
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        value = button->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        value = label->text();
    else if (widget)
        value = widget->windowTitle();
    return value.toLocal8Bit().toStdString();
}

// The bits that the widget's state shows.
DWORD CWnd::GetStyle() const
{
    const QWidget* widget = QtWidget(m_hWnd);
    if (!widget)
        return 0;
    DWORD style = widget->parentWidget() ? WS_CHILD : WS_POPUP;
    if (!widget->isHidden())
        style |= WS_VISIBLE;
    if (!widget->isEnabled())
        style |= WS_DISABLED;
    if (auto* edit = qobject_cast<const QLineEdit*>(widget); edit && edit->isReadOnly())
        style |= ES_READONLY;
    return style;
}

HWND CWnd::GetParent() const
{
    const QWidget* widget = QtWidget(m_hWnd);
    return widget ? QtHandle(widget->parentWidget()) : nullptr;
}

RECT CWnd::GetRectInParent() const
{
    const QWidget* widget = QtWidget(m_hWnd);
    const QRect rect = widget ? widget->geometry() : QRect();
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

// A font handle points at a widget's own font; a widget that has none of its
// own draws with the system's, and gives null.
HFONT CWnd::GetFont(HWND hWnd)
{
    const QWidget* widget = QtWidget(hWnd);
    if (!widget || !widget->testAttribute(Qt::WA_SetFont))
        return nullptr;
    return const_cast<QFont*>(&widget->font());
}

void CWnd::SetFont(HFONT font)
{
    if (QWidget* widget = QtWidget(m_hWnd); widget && font)
        widget->setFont(*static_cast<const QFont*>(font));
}

void CWnd::SetTimer(UINT_PTR id, UINT elapseMs)
{
    if (CWndBinding* binding = CWndBinding::Of(QtWidget(m_hWnd)))
        binding->SetTimer(id, elapseMs);
}

void CWnd::KillTimer(UINT_PTR id)
{
    if (CWndBinding* binding = CWndBinding::Of(QtWidget(m_hWnd)))
        binding->KillTimer(id);
}

bool CEdit::AcceptsWindow(HWND hWnd) const
{
    return IsEditControl(hWnd);
}

int CListBox::AddString(const std::string& text)
{
    QListWidget* list = ListWidget(GetSafeHwnd());
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
    QListWidget* list = ListWidget(GetSafeHwnd());
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
    QListWidget* list = ListWidget(GetSafeHwnd());
    if (!list)
        return LB_ERR;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? LB_ERR : list->row(selected.first());
}

void CListBox::GetText(int index, std::string& text) const
{
    QListWidget* list = ListWidget(GetSafeHwnd());
    if (list && index >= 0 && index < list->count())
        text = list->item(index)->text().toLocal8Bit().toStdString();
}

bool CListBox::AcceptsWindow(HWND hWnd) const
{
    return ListWidget(hWnd) != nullptr;
}

BOOL CButton::Create(const std::string& caption, DWORD style, const RECT& rect, HWND parent, int id)
{
    if (!parent)
        return FALSE;
    auto* button = new QPushButton(QString::fromLocal8Bit(caption), QtWidget(parent));
    button->setAutoDefault(false);
    button->setFocusPolicy((style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    button->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    SetControlId(button, id);
    Attach(QtHandle(button));
    QObject::connect(button, &QPushButton::clicked, button,
                     [button, id] { CDialogWindow::NotifyFromControl(button, id, BN_CLICKED); });
    button->setVisible((style & WS_VISIBLE) != 0);
    return TRUE;
}

bool CButton::AcceptsWindow(HWND hWnd) const
{
    return qobject_cast<QAbstractButton*>(QtWidget(hWnd)) != nullptr;
}
