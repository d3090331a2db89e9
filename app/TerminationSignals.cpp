#include "TerminationSignals.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> Handled = {SIGTERM, SIGINT, SIGHUP};

volatile std::sig_atomic_t WriteEnd = -1;

extern "C" void NoteSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full socket already holds a byte that wakes the event loop; nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(WriteEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal) : m_onSignal(std::move(onSignal))
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        // The program still runs; a signal then ends it the system's way, without its end-of-run steps.
        std::perror("Dupliqa: termination signals keep their default handling");
        return;
    }
    m_readEnd = ends[0];
    WriteEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { Drain(); });

    struct sigaction action { };
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes of a copy in progress go on after the handler instead of failing with EINTR.
    action.sa_flags = SA_RESTART;
    for (const int signal : Handled)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (m_readEnd < 0)
        return;
    for (const int signal : Handled)
        ::signal(signal, SIG_IGN); // the program is ending already
    m_notifier.reset();
    ::close(WriteEnd);
    WriteEnd = -1;
    ::close(m_readEnd);
}

void TerminationSignals::Drain()
{
    char bytes[64];
    while (::read(m_readEnd, bytes, sizeof bytes) > 0) {
    }
    m_onSignal();
}
