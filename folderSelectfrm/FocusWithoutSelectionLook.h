#pragma once

#include <QStyledItemDelegate>

// Draws the row that holds the keyboard focus with a dotted outline only. Some styles draw focus
// as a filled or coloured frame, which on a row that is not selected looks like a selection: OK
// would then seem to choose a folder that nothing chose.
class FocusWithoutSelectionLook : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
