#include "OneProgramPerFolder.h"

#include "platform/ExeFolder.h"

#include <QLocalSocket>

#include <cstdio>

namespace {

// A generous ceiling for reaching a program that is busy copying: its kernel backlog accepts the
// connection even before its event loop gets to it.
constexpr int ConnectCeilingMs = 10000;

// A holder that ends between our failed listen and our connect frees the name; a few rounds
// settle who takes it.
constexpr int Rounds = 3;

} // namespace

OneProgramPerFolder::OneProgramPerFolder()
{
    const std::string identity = platform::ExeFolderIdentity();
    if (!identity.empty())
        m_name = QStringLiteral("Dupliqa-") + QString::fromStdString(identity);
    m_server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    QObject::connect(&m_server, &QLocalServer::newConnection, [this] {
        while (QLocalSocket* request = m_server.nextPendingConnection()) {
            request->disconnectFromServer();
            request->deleteLater();
            if (m_show)
                m_show();
        }
    });
}

bool OneProgramPerFolder::AnotherRuns()
{
    if (m_name.isEmpty())
        return false;
    for (int round = 0; round < Rounds; ++round) {
        if (m_server.listen(m_name))
            return false;
        if (m_server.serverError() != QAbstractSocket::AddressInUseError)
            break;
        if (askRunningToShow())
            return true;
    }
    std::fprintf(stderr, "Dupliqa: %s; this program runs beside any other of its folder\n",
                 m_server.errorString().toLocal8Bit().constData());
    return false;
}

void OneProgramPerFolder::OnShowRequested(std::function<void()> show)
{
    m_show = std::move(show);
}

bool OneProgramPerFolder::askRunningToShow() const
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_name);
    return socket.waitForConnected(ConnectCeilingMs);
}
