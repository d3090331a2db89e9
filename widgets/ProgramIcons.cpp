#include "widgets/ProgramIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>

namespace {

// Both drawings are laid out on a 32 x 32 grid.
constexpr int GridSize = 32;

QImage TransparentImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QPainterPath DownArrow(double left, double top, double width, double height)
{
    const double shaftLeft = left + width * 0.3;
    const double shaftRight = left + width * 0.7;
    const double headTop = top + height * 0.45;
    QPainterPath arrow;
    arrow.moveTo(shaftLeft, top);
    arrow.lineTo(shaftRight, top);
    arrow.lineTo(shaftRight, headTop);
    arrow.lineTo(left + width, headTop);
    arrow.lineTo(left + width / 2, top + height);
    arrow.lineTo(left, headTop);
    arrow.lineTo(shaftLeft, headTop);
    arrow.closeSubpath();
    return arrow;
}

void DrawDisketteBody(QPainter& painter)
{
    QLinearGradient body(0, 3, 0, 29);
    body.setColorAt(0, QColor(58, 110, 196));
    body.setColorAt(1, QColor(24, 58, 128));
    QPainterPath outline;
    outline.moveTo(3.5, 3.5);
    outline.lineTo(25.5, 3.5);
    outline.lineTo(28.5, 6.5);
    outline.lineTo(28.5, 28.5);
    outline.lineTo(3.5, 28.5);
    outline.closeSubpath();
    painter.setPen(QPen(QColor(14, 32, 74), 1));
    painter.setBrush(body);
    painter.drawPath(outline);
}

void DrawShutter(QPainter& painter)
{
    painter.setPen(QPen(QColor(96, 104, 116), 0.6));
    painter.setBrush(QColor(206, 211, 218));
    painter.drawRect(QRectF(9.5, 3.5, 13, 8.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(24, 58, 128));
    painter.drawRect(QRectF(17, 5, 3, 5.5));
}

void DrawLabel(QPainter& painter)
{
    painter.setPen(QPen(QColor(160, 166, 176), 0.6));
    painter.setBrush(QColor(250, 250, 246));
    painter.drawRect(QRectF(7, 15, 18, 13.5));
    painter.setPen(QPen(QColor(190, 196, 206), 0.6));
    for (double y = 18.5; y < 28; y += 3)
        painter.drawLine(QPointF(9, y), QPointF(23, y));
}

void DrawGreenArrow(QPainter& painter)
{
    QLinearGradient fill(0, 11, 0, 29);
    fill.setColorAt(0, QColor(104, 214, 96));
    fill.setColorAt(1, QColor(30, 140, 44));
    painter.setPen(QPen(QColor(12, 84, 24), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(fill);
    painter.drawPath(DownArrow(9.5, 10.5, 13, 18));
}

// The 16 standard colours the tray drawing is limited to.
const QColor TrayBlack(0, 0, 0);
const QColor TrayNavy(0, 0, 128);
const QColor TrayBlue(0, 0, 255);
const QColor TraySilver(192, 192, 192);
const QColor TrayGrey(128, 128, 128);
const QColor TrayWhite(255, 255, 255);
const QColor TrayGreen(0, 128, 0);
const QColor TrayLime(0, 255, 0);

void FillPolygon(QPainter& painter, const QPolygon& polygon, const QColor& colour)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(polygon);
}

} // namespace

QImage MainIconImage(int size)
{
    QImage image = TransparentImage(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(static_cast<double>(size) / GridSize, static_cast<double>(size) / GridSize);
    DrawDisketteBody(painter);
    DrawShutter(painter);
    DrawLabel(painter);
    DrawGreenArrow(painter);
    return image;
}

QIcon MainIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(MainIconImage(size)));
    return icon;
}

QImage TrayIconImage()
{
    // Drawn without anti-aliasing on whole pixels, so no blended colour outside the 16 can appear.
    QImage image = TransparentImage(GridSize);
    QPainter painter(&image);
    // Each fill replaces the pixels under it, so the corner cut out of the diskette is transparent.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(2, 2, 28, 28), TrayBlack);
    painter.fillRect(QRect(3, 3, 26, 26), TrayNavy);
    painter.fillRect(QRect(27, 2, 3, 1), Qt::transparent);
    painter.fillRect(QRect(3, 4, 1, 24), TrayBlue);
    painter.fillRect(QRect(9, 3, 13, 9), TraySilver);
    painter.fillRect(QRect(9, 11, 13, 1), TrayGrey);
    painter.fillRect(QRect(17, 5, 3, 5), TrayNavy);
    painter.fillRect(QRect(6, 15, 20, 14), TrayWhite);
    painter.fillRect(QRect(8, 19, 16, 1), TraySilver);
    painter.fillRect(QRect(8, 23, 16, 1), TraySilver);
    FillPolygon(painter, QPolygon({QPoint(12, 9), QPoint(20, 9), QPoint(20, 18), QPoint(24, 18), QPoint(16, 27),
                                   QPoint(8, 18), QPoint(12, 18)}),
                TrayGreen);
    painter.fillRect(QRect(13, 10, 2, 9), TrayLime);
    return image;
}

QIcon TrayIcon()
{
    return QIcon(QPixmap::fromImage(TrayIconImage()));
}

bool WriteMainIconPng(const QString& path, int size)
{
    return MainIconImage(size).save(path, "PNG");
}
