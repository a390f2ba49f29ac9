#include "ui/dialog/qt/TemplateLoader.h"

#include "platform/WinUser.h"
#include "res/ResourceIds.h"
#include "ui/dialog/Icons.h"
#include "ui/dialog/qt/ListBoxDelegate.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <cmath>

namespace {

constexpr char kControlIdProperty[] = "vantrelControlId";
constexpr int kIconSize = 32; // a static icon sizes itself to its icon
constexpr DWORD kButtonTypeMask = 0xF;

QString ToQString(const char* text)
{
    return QString::fromLocal8Bit(text);
}

bool HasStyle(const CDialogControl& control, DWORD bits)
{
    return (control.style & bits) == bits;
}

// "&x" marks a mnemonic and "&&" stands for one ampersand. Buttons handle
// the marks themselves; a label would show them, so they are removed.
QString WithoutMnemonicMarks(QString text)
{
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

QWidget* CreateLabel(const CDialogControl& control, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QString text = ToQString(control.caption);
    label->setText(HasStyle(control, SS_NOPREFIX) ? text : WithoutMnemonicMarks(text));
    return label;
}

QWidget* CreateIcon(const CDialogControl& control, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QtIcon(AfxLoadIcon(control.iconId)).pixmap(kIconSize));
    return label;
}

QWidget* CreateListBox(const CDialogControl& control, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setProperty(kSortedListProperty, HasStyle(control, LBS_SORT));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setItemDelegate(new CListBoxDelegate(list));
    list->setFrameShape(HasStyle(control, WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
    list->setVerticalScrollBarPolicy(HasStyle(control, WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(HasStyle(control, WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    return list;
}

QWidget* CreatePushButton(const CDialogControl& control, QWidget* parent)
{
    auto* button = new QPushButton(ToQString(control.caption), parent);
    // Enter is the dialog's business (see CDialog), never a button's own.
    button->setAutoDefault(false);
    button->setDefault((control.style & kButtonTypeMask) == BS_DEFPUSHBUTTON);
    return button;
}

QWidget* CreateEdit(const CDialogControl& control, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(HasStyle(control, ES_READONLY));
    edit->setFrame(HasStyle(control, WS_BORDER));
    return edit;
}

QWidget* CreateCheckBox(const CDialogControl& control, QWidget* parent)
{
    return new QCheckBox(ToQString(control.caption), parent);
}

QWidget* CreateComboBox(const CDialogControl&, QWidget* parent)
{
    return new QComboBox(parent);
}

QWidget* CreateControl(const CDialogControl& control, QWidget* parent)
{
    switch (control.kind) {
    case ControlKind::StaticLabel: return CreateLabel(control, parent);
    case ControlKind::StaticIcon: return CreateIcon(control, parent);
    case ControlKind::ListBox: return CreateListBox(control, parent);
    case ControlKind::PushButton: return CreatePushButton(control, parent);
    case ControlKind::Edit: return CreateEdit(control, parent);
    case ControlKind::CheckBox: return CreateCheckBox(control, parent);
    case ControlKind::ComboBox: return CreateComboBox(control, parent);
    }
    return nullptr;
}

Qt::FocusPolicy FocusPolicyOf(const CDialogControl& control)
{
    if (control.kind == ControlKind::StaticLabel || control.kind == ControlKind::StaticIcon)
        return Qt::NoFocus;
    return HasStyle(control, WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
}

// A template's height of a combo box includes its drop-down list; the
// closed box is as high as its font makes it.
QRect ControlRect(const CDialogControl& control, QWidget* widget, DialogBaseUnits units)
{
    QRect rect = DialogUnitsToPixels(control.x, control.y, control.w, control.h, units);
    if (control.kind == ControlKind::StaticIcon)
        rect.setSize({kIconSize, kIconSize});
    if (control.kind == ControlKind::ComboBox)
        rect.setHeight(widget->sizeHint().height());
    return rect;
}

void PlaceControl(const CDialogControl& control, QWidget* widget, DialogBaseUnits units)
{
    SetControlId(widget, control.id);
    widget->setGeometry(ControlRect(control, widget, units));
    widget->setFocusPolicy(FocusPolicyOf(control));
    widget->setEnabled(!HasStyle(control, WS_DISABLED));
    widget->setVisible(HasStyle(control, WS_VISIBLE));
}

Qt::WindowFlags WindowFlagsOf(const CDialogTemplate& dialogTemplate)
{
    Qt::WindowFlags flags = (dialogTemplate.exStyle & WS_EX_APPWINDOW) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint;
    if ((dialogTemplate.style & WS_CAPTION) == WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (dialogTemplate.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialogTemplate.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    return flags;
}

} // namespace

QFont TemplateFont(const CDialogTemplate& dialogTemplate)
{
    QFont font(ToQString(dialogTemplate.fontName), dialogTemplate.fontPoints);
    if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) == 0)
        return font;
    QFont standIn = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    standIn.setPointSize(dialogTemplate.fontPoints);
    return standIn;
}

DialogBaseUnits ComputeBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return {static_cast<int>(std::lround(letters / 52.0)), metrics.height()};
}

QRect DialogUnitsToPixels(int x, int y, int w, int h, DialogBaseUnits units)
{
    auto horizontal = [&](int value) { return value * units.x / 4; };
    auto vertical = [&](int value) { return value * units.y / 8; };
    return QRect(horizontal(x), vertical(y), horizontal(w), vertical(h));
}

bool BuildDialogFromTemplate(int templateId, QWidget* dialog)
{
    const CDialogTemplate* dialogTemplate = FindDialogTemplate(templateId);
    if (!dialogTemplate)
        return false;
    const QFont font = TemplateFont(*dialogTemplate);
    const DialogBaseUnits units = ComputeBaseUnits(font);
    dialog->setWindowFlags(WindowFlagsOf(*dialogTemplate));
    dialog->setWindowTitle(ToQString(dialogTemplate->caption));
    dialog->setFont(font);
    dialog->setFixedSize(DialogUnitsToPixels(0, 0, dialogTemplate->w, dialogTemplate->h, units).size());
    // Created in template order, so Qt's tab chain is the template order.
    for (const CDialogControl& control : dialogTemplate->controls)
        PlaceControl(control, CreateControl(control, dialog), units);
    return true;
}

void SetControlId(QWidget* control, int id)
{
    control->setProperty(kControlIdProperty, id);
}

int GetControlId(const QWidget* control)
{
    const QVariant id = control->property(kControlIdProperty);
    return id.isValid() ? id.toInt() : IDC_STATIC;
}

QWidget* FindControl(const QWidget* parent, int id)
{
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (GetControlId(child) == id)
            return child;
    return nullptr;
}
