#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <set>

class QSystemTrayIcon;

// A short notice from the tray icon. It goes to the session's notification service where one runs,
// and is otherwise the icon's own balloon. Qt's tray icon alone would use the service only where the
// tray itself is one of the service-based kind; in an embedded tray (most X11 panels) the balloon
// would show even where the desktop has a notification service.
class TrayNotice : public QObject {
    Q_OBJECT

public:
    // onClicked runs, back in the event loop, when the user clicks a notice this object showed.
    TrayNotice(QSystemTrayIcon* icon, std::function<void()> onClicked);

    void Show(const QString& title, const QString& body);

private Q_SLOTS:
    void serviceActionInvoked(uint id, const QString& action);
    void serviceNoticeClosed(uint id, uint reason);

private:
    void showBalloon(const QString& title, const QString& body);

    QSystemTrayIcon* m_icon;
    std::function<void()> m_onClicked;
    std::set<uint> m_shownByService;
};
