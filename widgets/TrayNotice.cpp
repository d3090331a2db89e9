#include "widgets/TrayNotice.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString ServicePath = QStringLiteral("/org/freedesktop/Notifications");
const QString ServiceInterface = QStringLiteral("org.freedesktop.Notifications");
// The action a notification service invokes when the notice itself is clicked.
const QString DefaultAction = QStringLiteral("default");
// Let the service choose how long the notice stays.
constexpr int ServiceTimeout = -1;

bool ServiceRuns()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(Service).value();
}

} // namespace

TrayNotice::TrayNotice(QSystemTrayIcon* icon, std::function<void()> onClicked)
    : QObject(icon)
    , m_icon(icon)
    , m_onClicked(std::move(onClicked))
{
    connect(m_icon, &QSystemTrayIcon::messageClicked, this, [this] { m_onClicked(); });
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(Service, ServicePath, ServiceInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(serviceActionInvoked(uint, QString)));
    bus.connect(Service, ServicePath, ServiceInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(serviceNoticeClosed(uint, uint)));
}

void TrayNotice::Show(const QString& title, const QString& body)
{
    if (!ServiceRuns()) {
        showBalloon(title, body);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ServicePath, ServiceInterface, QStringLiteral("Notify"));
    call << QStringLiteral("Dupliqa") << 0u << QString() << title << body << QStringList{DefaultAction, title}
         << QVariantMap{} << ServiceTimeout;
    // Asked without waiting, so the window stays alive while the service answers; a service that
    // refuses or has gone in the meantime leaves the balloon.
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, title, body](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<uint> reply = *done;
        if (reply.isError())
            showBalloon(title, body);
        else
            m_shownByService.insert(reply.value());
        done->deleteLater();
    });
}

void TrayNotice::showBalloon(const QString& title, const QString& body)
{
    m_icon->showMessage(title, body, QSystemTrayIcon::Warning);
}

void TrayNotice::serviceActionInvoked(uint id, const QString& action)
{
    if (action == DefaultAction && m_shownByService.contains(id))
        m_onClicked();
}

void TrayNotice::serviceNoticeClosed(uint id, uint)
{
    m_shownByService.erase(id);
}
