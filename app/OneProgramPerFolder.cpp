#include "OneProgramPerFolder.h"

#include "platform/ExeFolder.h"
#include "platform/Folder.h"
#include "platform/PeerUser.h"

#include <QLocalSocket>
#include <QThread>

#include <cstdio>

namespace {

// A generous ceiling for reaching a program that is busy copying: its kernel backlog accepts the
// connection even before its event loop gets to it.
constexpr int ConnectCeilingMs = 10000;

// A holder that ends between our failed listen and our connect frees the name; a few rounds
// settle who takes it.
constexpr int Rounds = 3;

// How often a start looks whether a program that is ending has gone.
constexpr unsigned long EndingPollMs = 500;

constexpr char ShownByte = 'S';
constexpr char EndingByte = 'E';

// The name is open to every user of the machine: only a process of ours is a program of this folder.
bool IsOurs(const QLocalSocket& socket)
{
    return platform::PeerUserOf(static_cast<int>(socket.socketDescriptor())) == platform::RunningUser();
}

} // namespace

OneProgramPerFolder::OneProgramPerFolder()
{
    const std::string identity = platform::ExeFolderIdentity();
    if (!identity.empty())
        m_name = QStringLiteral("Dupliqa-") + QString::fromStdString(identity);
    m_server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    QObject::connect(&m_server, &QLocalServer::newConnection, [this] {
        while (QLocalSocket* request = m_server.nextPendingConnection()) {
            if (IsOurs(*request)) {
                const bool shown = !m_show || m_show();
                request->write(shown ? &ShownByte : &EndingByte, 1);
                request->flush(); // before the socket goes with deleteLater
            }
            request->disconnectFromServer();
            request->deleteLater();
        }
    });
}

bool OneProgramPerFolder::AnotherRuns()
{
    if (m_name.isEmpty())
        return false;
    bool ending = false;
    for (int round = 0; round < Rounds;) {
        if (m_server.listen(m_name))
            return false;
        if (m_server.serverError() != QAbstractSocket::AddressInUseError)
            break;
        const Answer answer = askRunningToShow();
        if (answer == Answer::Shown)
            return true;
        if (answer == Answer::Foreign) {
            std::fprintf(stderr, "Dupliqa: another user's process holds the name of this folder's program; this "
                                 "program runs beside it\n");
            return false;
        }
        if (answer == Answer::Ending && !ending)
            std::fprintf(stderr, "Dupliqa: the program of this folder is ending; this one starts once it has\n");
        ending = ending || answer == Answer::Ending;
        if (!ending) {
            ++round;
            continue;
        }
        // A program that said it is ending is waited for, whatever it answers on its way out.
        QThread::msleep(EndingPollMs);
    }
    std::fprintf(stderr, "Dupliqa: %s; this program runs beside any other of its folder\n",
                 m_server.errorString().toLocal8Bit().constData());
    return false;
}

void OneProgramPerFolder::OnShowRequested(std::function<bool()> show)
{
    m_show = std::move(show);
}

OneProgramPerFolder::Answer OneProgramPerFolder::askRunningToShow() const
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(ConnectCeilingMs))
        return Answer::None;
    if (!IsOurs(socket))
        return Answer::Foreign;
    char answer = 0;
    if (socket.bytesAvailable() > 0 || socket.waitForReadyRead(ConnectCeilingMs))
        socket.read(&answer, 1);
    if (answer == ShownByte)
        return Answer::Shown;
    if (answer == EndingByte)
        return Answer::Ending;
    // No answer: a holder on its way out closes the connection unanswered; one still there is busy and
    // shows its window when it comes to it.
    return socket.state() == QLocalSocket::ConnectedState ? Answer::Shown : Answer::None;
}
