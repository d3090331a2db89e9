#include "widgets/IconCaptions.h"

namespace {

// About the width of ten average letters at the design font, and three lines of them.
constexpr int CaptionWidth = 72;
constexpr int CaptionLines = 3;

} // namespace

QSize IconCaptions::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (option.decorationPosition != QStyleOptionViewItem::Top)
        return QStyledItemDelegate::sizeHint(option, index);
    // The style wraps the text to the width of the rectangle it is given.
    QStyleOptionViewItem bounded = option;
    bounded.rect = QRect(0, 0, CaptionWidth, 0);
    const QSize wrapped = QStyledItemDelegate::sizeHint(bounded, index);
    const int highest = option.decorationSize.height() + CaptionLines * option.fontMetrics.lineSpacing() + 8;
    return {std::min(wrapped.width(), CaptionWidth + 8), std::min(wrapped.height(), highest)};
}
