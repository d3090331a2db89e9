#include "MainFrm/About/AboutIconSquare.h"

#include <QPainter>

AboutIconSquare::AboutIconSquare(const QImage& icon, QWidget* parent) : QWidget(parent), m_icon(icon)
{
    setFixedSize(Side, Side);
}

void AboutIconSquare::paintEvent(QPaintEvent*)
{
    const QRect framed(0, 0, Side - ShadowWidth, Side - ShadowWidth);
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(framed.translated(ShadowWidth, ShadowWidth), QColor::fromRgb(ShadowColour));
    painter.fillRect(framed, palette().color(QPalette::Window));
    painter.setPen(QPen(Qt::black, 0));
    // A cosmetic pen's rectangle covers one pixel more than its size: this one ends on the frame's last pixel.
    painter.drawRect(framed.adjusted(0, 0, -1, -1));
    const QPoint iconTopLeft((framed.width() - m_icon.width()) / 2, (framed.height() - m_icon.height()) / 2);
    painter.drawImage(iconTopLeft, m_icon);
}
