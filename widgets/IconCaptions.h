#pragma once

#include <QStyledItemDelegate>

// Captions under large icons kept to a few lines of a fixed width, the last line cut short with
// "…". A long name otherwise makes its item as wide as the name: its icon lands outside the view
// and its row leaves a gap in the grid. The item keeps its whole text; only its drawing is cut.
class IconCaptions : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
