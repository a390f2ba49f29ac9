#pragma once
// Draws the items of a list box. The item under the keyboard's caret is
// marked only while it is selected: the style's mark for the caret looks
// like a selection, and a list box with nothing selected must not look as if
// something were (Remove, for one, acts only on a selection).
#include <QStyledItemDelegate>

class CListBoxDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
