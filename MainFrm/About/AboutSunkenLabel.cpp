#include "MainFrm/About/AboutSunkenLabel.h"

#include <QPainter>

namespace {

// The light edge lies one pixel beside and below the letters; the line's height includes it.
constexpr int EdgeOffset = 1;

} // namespace

AboutSunkenLabel::AboutSunkenLabel(const QString& text, const QFont& font, QWidget* parent)
    : QWidget(parent), m_text(text)
{
    setFont(font);
}

QSize AboutSunkenLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_text) + EdgeOffset, fontMetrics().height() + EdgeOffset};
}

void AboutSunkenLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int baseline = fontMetrics().ascent();
    // A white edge under mid-grey letters reads as engraved on any face colour, where the style's
    // own light and dark shades can both sit too close to the face to be read.
    painter.setPen(Qt::white);
    painter.drawText(EdgeOffset, baseline + EdgeOffset, m_text);
    painter.setPen(QColor(96, 96, 96));
    painter.drawText(0, baseline, m_text);
}
