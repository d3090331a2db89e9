#include "widgets/Gauge.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>

Gauge::Gauge(QWidget* parent)
    : QProgressBar(parent)
{
    setTextVisible(true);
}

QRect Gauge::inside() const
{
    return rect().adjusted(1, 1, -1, -1);
}

QRect Gauge::FilledArea() const
{
    const QRect area = inside();
    const qint64 span = qint64(maximum()) - minimum();
    const qint64 done = std::clamp<qint64>(qint64(value()) - minimum(), 0, span);
    const int width = span > 0 ? static_cast<int>(done * area.width() / span) : 0;
    return QRect(area.topLeft(), QSize(width, area.height()));
}

// The widget's own font, made smaller when its digits would not fit the height with a pixel to
// spare above and below.
QFont Gauge::fontThatFits() const
{
    QFont font = this->font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    const int room = inside().height() - 2;
    while (QFontMetrics(font).capHeight() > room && font.pixelSize() > 6)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void Gauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect area = inside();
    const QRect filled = FilledArea();
    painter.fillRect(filled, Qt::black);
    if (!isTextVisible())
        return;

    const QFont font = fontThatFits();
    const QFontMetrics metrics(font);
    const QString label = text();
    const QPoint baseline(area.left() + (area.width() - metrics.horizontalAdvance(label)) / 2,
                          area.top() + (area.height() + metrics.capHeight()) / 2);
    painter.setFont(font);
    const QRegion onBlack(filled);
    painter.setClipRegion(QRegion(area).subtracted(onBlack));
    painter.setPen(Qt::black);
    painter.drawText(baseline, label);
    painter.setClipRegion(onBlack);
    painter.setPen(Qt::white);
    painter.drawText(baseline, label);
}
