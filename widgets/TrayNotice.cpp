#include "widgets/TrayNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
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
    // Matched on any sender: naming the service would have Qt ask the bus for its owner and wait for
    // the answer. The notices' ids, which only the service's own answers carry, pick ours out.
    bus.connect(QString(), ServicePath, ServiceInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(serviceActionInvoked(uint, QString)));
    bus.connect(QString(), ServicePath, ServiceInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(serviceNoticeClosed(uint, uint)));
}

void TrayNotice::Show(const QString& title, const QString& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        showBalloon(title, body);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ServicePath, ServiceInterface, QStringLiteral("Notify"));
    call << QStringLiteral("Dupliqa") << 0u << QString() << title << body << QStringList{DefaultAction, title}
         << QVariantMap{} << ServiceTimeout;
    // Only a service that runs now shows it: the bus refuses the call where none owns the name,
    // rather than starting one, and the balloon shows instead.
    call.setAutoStartService(false);
    // Nothing here waits for the bus: a bus that has stopped answering would hold the window, and the
    // runs with it. A refusal, or no answer within the call's timeout, leaves the balloon.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
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
