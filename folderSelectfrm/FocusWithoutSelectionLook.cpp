#include "folderSelectfrm/FocusWithoutSelectionLook.h"

#include <QPainter>

void FocusWithoutSelectionLook::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    QStyleOptionViewItem plain(option);
    plain.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, plain, index);
    if (!(option.state & QStyle::State_HasFocus))
        return;
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(QPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text), 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
}
