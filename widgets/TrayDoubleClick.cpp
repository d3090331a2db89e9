#include "widgets/TrayDoubleClick.h"

#include <QApplication>
#include <QElapsedTimer>

#include <memory>

namespace {

// The latest press of the middle or right button that has not yet made a double click.
struct LastPress {
    QSystemTrayIcon::ActivationReason button = QSystemTrayIcon::Unknown;
    QElapsedTimer since;

    // True when this press completes a double click; it then starts no new one.
    bool completesDoubleClick(QSystemTrayIcon::ActivationReason press)
    {
        const bool second = press == button && since.isValid() && since.elapsed() <= QApplication::doubleClickInterval();
        button = second ? QSystemTrayIcon::Unknown : press;
        since.start();
        return second;
    }
};

} // namespace

void OnTrayDoubleClick(QSystemTrayIcon* icon, QObject* context, std::function<void()> onDoubleClick)
{
    auto last = std::make_shared<LastPress>();
    QObject::connect(icon, &QSystemTrayIcon::activated, context,
                     [last, onDoubleClick = std::move(onDoubleClick)](QSystemTrayIcon::ActivationReason reason) {
                         switch (reason) {
                         case QSystemTrayIcon::DoubleClick:
                             onDoubleClick();
                             break;
                         case QSystemTrayIcon::Context:
                         case QSystemTrayIcon::MiddleClick:
                             if (last->completesDoubleClick(reason))
                                 onDoubleClick();
                             break;
                         default:
                             break;
                         }
                     });
}
