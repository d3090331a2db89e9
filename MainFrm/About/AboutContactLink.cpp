#include "MainFrm/About/AboutContactLink.h"

#include <QMouseEvent>

AboutContactLink::AboutContactLink(const QString& address, QWidget* parent) : QLabel(address, parent)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    // Only the enabled groups turn blue, so a disabled link takes the usual grey of disabled text.
    QPalette blue = palette();
    blue.setColor(QPalette::Active, QPalette::WindowText, Qt::blue);
    blue.setColor(QPalette::Inactive, QPalette::WindowText, Qt::blue);
    setPalette(blue);
    setCursor(Qt::PointingHandCursor);
}

void AboutContactLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}
