#include "ui/dialog/qt/ListBoxDelegate.h"

void CListBoxDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!(option->state & QStyle::State_Selected))
        option->state &= ~QStyle::State_HasFocus;
}
