#include "MainFrm/AboutSunkenLabel.h"

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
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(EdgeOffset, baseline + EdgeOffset, m_text);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(0, baseline, m_text);
}
