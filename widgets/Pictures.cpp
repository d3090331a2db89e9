#include "widgets/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

using Draw = void (*)(QPainter&);

QIcon Paint(int size, Draw draw)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return QIcon(pixmap);
}

void Diskette(QPainter& p, QRectF r, QColor body)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(body);
    QPainterPath outline;
    outline.moveTo(r.topLeft());
    outline.lineTo(r.right() - r.width() * 0.18, r.top());
    outline.lineTo(r.right(), r.top() + r.height() * 0.18);
    outline.lineTo(r.bottomRight());
    outline.lineTo(r.bottomLeft());
    outline.closeSubpath();
    p.drawPath(outline);
    p.setBrush(QColor(200, 200, 210)); // metal shutter
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top(), r.width() * 0.45, r.height() * 0.32));
    p.setBrush(Qt::white); // label
    p.drawRect(QRectF(r.left() + r.width() * 0.15, r.top() + r.height() * 0.5, r.width() * 0.7, r.height() * 0.45));
}

void Sheet(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(15, 2);
    page.lineTo(20, 7);
    page.lineTo(20, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    p.drawPath(page);
    p.drawLine(QPointF(15, 2), QPointF(15, 7));
    p.drawLine(QPointF(15, 7), QPointF(20, 7));
}

void Cross(QPainter& p)
{
    p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(5, 5, 19, 19);
    p.drawLine(19, 5, 5, 19);
}

void Computer(QPainter& p, QRectF screen)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(60, 110, 200));
    p.drawRect(screen);
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(QRectF(screen.left() + 1, screen.bottom() + 1, screen.width() - 2, 2));
}

void Network(QPainter& p)
{
    Computer(p, QRectF(1, 2, 9, 7));
    Computer(p, QRectF(14, 13, 9, 7));
    p.setPen(QPen(Qt::darkGreen, 2));
    p.drawLine(QPointF(6, 12), QPointF(6, 17));
    p.drawLine(QPointF(6, 17), QPointF(12, 17));
    p.setBrush(Qt::darkGreen);
    p.drawPolygon(QPolygonF({QPointF(12, 14), QPointF(12, 20), QPointF(15, 17)}));
}

void SmallDiskette(QPainter& p)
{
    Diskette(p, QRectF(3, 3, 18, 18), QColor(40, 60, 140));
}

void Prohibition(QPainter& p)
{
    p.setPen(QPen(QColor(210, 0, 0), 3));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(3, 3, 18, 18));
    p.drawLine(QPointF(6.5, 6.5), QPointF(17.5, 17.5));
}

void Door(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(150, 90, 40));
    p.drawRect(QRectF(3, 2, 11, 20));
    p.setBrush(Qt::yellow);
    p.drawEllipse(QRectF(11, 11, 2, 2));
    p.setPen(QPen(Qt::darkGreen, 2));
    p.drawLine(QPointF(14, 12), QPointF(21, 12));
    p.drawLine(QPointF(18, 9), QPointF(21, 12));
    p.drawLine(QPointF(18, 15), QPointF(21, 12));
}

void Folder(QPainter& p)
{
    p.setPen(QPen(QColor(120, 90, 0), 1));
    p.setBrush(QColor(240, 200, 80));
    QPainterPath folder;
    folder.moveTo(2, 6);
    folder.lineTo(9, 6);
    folder.lineTo(11, 8);
    folder.lineTo(22, 8);
    folder.lineTo(22, 20);
    folder.lineTo(2, 20);
    folder.closeSubpath();
    p.drawPath(folder);
}

void DisketteStack(QPainter& p)
{
    Diskette(p, QRectF(9, 1, 20, 20), QColor(30, 120, 60));
    Diskette(p, QRectF(6, 5, 20, 20), QColor(160, 110, 30));
    Diskette(p, QRectF(3, 10, 20, 20), QColor(40, 60, 140));
}

void FailedStack(QPainter& p)
{
    DisketteStack(p);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(18);
    p.setFont(font);
    p.setPen(QColor(220, 0, 0));
    p.drawText(QRectF(16, 12, 16, 20), Qt::AlignCenter, QStringLiteral("E"));
}

} // namespace

QList<QIcon> ToolbarPictures()
{
    return {Paint(24, Sheet), Paint(24, Cross),       Paint(24, Network), Paint(24, SmallDiskette),
            Paint(24, Prohibition), Paint(24, Door), Paint(24, Folder)};
}

QList<QIcon> ListPictures()
{
    return {Paint(32, DisketteStack), Paint(32, FailedStack)};
}

QPixmap GripPicture()
{
    QPixmap pixmap(5, 44);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(1, 2, 1, 41);
    p.setPen(Qt::white);
    p.drawLine(2, 2, 2, 41);
    return pixmap;
}
