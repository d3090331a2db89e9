#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

// SIGTERM, SIGINT and SIGHUP (logout, shutdown, Ctrl+C, a closed terminal) turned into a call on
// the event loop. The signal handler only writes a byte to a socket; the event loop reads it and
// calls onSignal, where any work may be done. Only one may exist at a time.
class TerminationSignals {
public:
    explicit TerminationSignals(std::function<void()> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    void Drain();

    int m_readEnd = -1;
    std::function<void()> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
