#include "widgets/TrayDoubleClick.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace {

class DoubleClickWatcher : public QObject {
public:
    DoubleClickWatcher(std::function<QRect()> iconArea, QObject* context, std::function<void()> onDoubleClick)
        : QObject(context)
        , m_iconArea(std::move(iconArea))
        , m_onDoubleClick(std::move(onDoubleClick))
    {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick)
            return false;
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        const bool watched = mouse->button() == Qt::MiddleButton || mouse->button() == Qt::RightButton;
        // A press that Qt hands on to the parents of the widget under the pointer is seen once only.
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (!watched || !widget || !widget->isWindow() || !m_iconArea().contains(mouse->globalPosition().toPoint()))
            return false;
        if (!completesDoubleClick(*mouse))
            return false;
        QTimer::singleShot(0, parent(), m_onDoubleClick);
        if (widget != QApplication::activePopupWidget())
            return false;
        widget->close();
        return true;
    }

private:
    // The press that may start a double click; a double-click event on its own starts none, since
    // it always follows a press that Qt reported already.
    bool completesDoubleClick(const QMouseEvent& mouse)
    {
        const bool second = m_firstButton == mouse.button()
            && mouse.timestamp() - m_firstTime <= static_cast<quint64>(QApplication::doubleClickInterval());
        if (second || mouse.type() == QEvent::MouseButtonDblClick) {
            m_firstButton = Qt::NoButton;
            return second;
        }
        m_firstButton = mouse.button();
        m_firstTime = mouse.timestamp();
        return false;
    }

    std::function<QRect()> m_iconArea;
    std::function<void()> m_onDoubleClick;
    Qt::MouseButton m_firstButton = Qt::NoButton;
    quint64 m_firstTime = 0;
};

} // namespace

void OnDoubleClickIn(std::function<QRect()> iconArea, QObject* context, std::function<void()> onDoubleClick)
{
    new DoubleClickWatcher(std::move(iconArea), context, std::move(onDoubleClick));
}

void OnTrayDoubleClick(QSystemTrayIcon* icon, QObject* context, std::function<void()> onDoubleClick)
{
    QObject::connect(icon, &QSystemTrayIcon::activated, context,
                     [onDoubleClick](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick)
                             onDoubleClick();
                     });
    OnDoubleClickIn([icon] { return icon->isVisible() ? icon->geometry() : QRect(); }, context,
                    std::move(onDoubleClick));
}
