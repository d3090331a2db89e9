#include "MainFrm/About/ExplodeOverlay.h"

#include <QGuiApplication>
#include <QPainter>
#include <QWindow>

namespace {

// The one-pixel ring along the inside of an outline's rectangle.
QRegion OutlinePixels(const QRect& outline)
{
    if (outline.isEmpty())
        return {};
    return QRegion(outline).subtracted(QRegion(outline.adjusted(1, 1, -1, -1)));
}

// Under X11 a translucent window over a desktop without a compositing manager comes out black, so
// there the window's shape is cut to the toggled pixels instead.
bool ShapeNeeded()
{
    return QGuiApplication::platformName() == QStringLiteral("xcb");
}

// Black and white pixels in turn make a dotted line that shows on any background.
QBrush DottedBrush()
{
    QImage dots(2, 2, QImage::Format_RGB32);
    dots.setPixel(0, 0, qRgb(0, 0, 0));
    dots.setPixel(1, 1, qRgb(0, 0, 0));
    dots.setPixel(1, 0, qRgb(255, 255, 255));
    dots.setPixel(0, 1, qRgb(255, 255, 255));
    return QBrush(dots);
}

} // namespace

ExplodeOverlay::ExplodeOverlay(const QRect& area)
    : QWidget(nullptr,
              Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput
                  | Qt::X11BypassWindowManagerHint)
    , m_area(area)
    , m_shaped(ShapeNeeded())
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setGeometry(area);
}

void ExplodeOverlay::ToggleOutline(const QRect& outline)
{
    const QRegion pixels = OutlinePixels(outline.translated(-m_area.topLeft()));
    m_toggled = m_toggled.xored(pixels);
    if (m_toggled.isEmpty()) {
        hide();
        return;
    }
    if (m_shaped) {
        create();
        windowHandle()->setMask(m_toggled);
    } else {
        update(pixels);
    }
    if (!isVisible())
        show();
}

QRegion ExplodeOverlay::ShownPixels() const
{
    return m_toggled.translated(m_area.topLeft());
}

void ExplodeOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    // A shaped window shows its toggled pixels only, whatever it paints: dots painted everywhere
    // once spare a repaint at every step, which would make the effect drag.
    if (!m_shaped)
        painter.setClipRegion(m_toggled);
    painter.fillRect(rect(), DottedBrush());
}
