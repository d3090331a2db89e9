#include "wizardfrm/WizardArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int SideWidth = 119;
constexpr int SideHeight = 271;

void PaintBackground(QPainter& painter)
{
    QLinearGradient sky(0, 0, 0, SideHeight);
    sky.setColorAt(0.0, QColor(10, 36, 106));
    sky.setColorAt(0.6, QColor(40, 110, 180));
    sky.setColorAt(1.0, QColor(166, 202, 240));
    painter.fillRect(0, 0, SideWidth, SideHeight, sky);
}

// One 3.5-inch diskette with its top-left corner at (x, y), seen from the front.
void PaintDiskette(QPainter& painter, int x, int y, const QColor& body)
{
    constexpr int size = 54;
    QPainterPath outline;
    outline.moveTo(x, y);
    outline.lineTo(x + size - 6, y);
    outline.lineTo(x + size, y + 6);
    outline.lineTo(x + size, y + size);
    outline.lineTo(x, y + size);
    outline.closeSubpath();
    painter.setPen(QPen(body.darker(170), 1));
    painter.setBrush(body);
    painter.drawPath(outline);

    // The metal shutter at the top and the paper label below it.
    painter.setPen(QPen(QColor(90, 90, 90), 1));
    painter.setBrush(QColor(200, 200, 205));
    painter.drawRect(x + 14, y, 24, 17);
    painter.setBrush(body.darker(140));
    painter.drawRect(x + 28, y + 3, 6, 11);
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.setBrush(QColor(250, 250, 245));
    painter.drawRect(x + 7, y + 25, size - 14, size - 28);
    painter.setPen(QPen(QColor(120, 140, 200), 1));
    for (int line = y + 32; line < y + size - 5; line += 6)
        painter.drawLine(x + 11, line, x + size - 11, line);
}

void PaintDisketteStack(QPainter& painter)
{
    PaintDiskette(painter, 40, 170, QColor(60, 60, 70));
    PaintDiskette(painter, 33, 181, QColor(150, 30, 40));
    PaintDiskette(painter, 26, 192, QColor(30, 90, 160));
}

// A bent arrow from the top left down into the stack: files going to their copy.
void PaintArrow(QPainter& painter)
{
    QPainterPath shaft;
    shaft.moveTo(18, 40);
    shaft.cubicTo(90, 50, 100, 110, 72, 150);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 210, 60), 9, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(shaft);

    QPolygonF head;
    head << QPointF(56, 140) << QPointF(88, 146) << QPointF(66, 168);
    painter.setPen(QPen(QColor(255, 210, 60), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(255, 210, 60));
    painter.drawPolygon(head);
}

} // namespace

QPixmap WizardSidePicture()
{
    QPixmap picture(SideWidth, SideHeight);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintBackground(painter);
    PaintArrow(painter);
    PaintDisketteStack(painter);
    return picture;
}

QPixmap SmallFolderPicture()
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const QColor edge(150, 110, 20);
    painter.setPen(edge);
    painter.setBrush(QColor(230, 180, 60));
    painter.drawRect(1, 3, 6, 2);   // the tab
    painter.drawRect(1, 4, 13, 9);  // the back
    painter.setBrush(QColor(250, 215, 100));
    QPolygon front;
    front << QPoint(1, 13) << QPoint(3, 7) << QPoint(15, 7) << QPoint(13, 13);
    painter.drawPolygon(front);
    return picture;
}
