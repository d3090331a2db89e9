#pragma once

#include <QApplication>

#include <functional>

// The application object. An error that escapes any event's handling is shown in the standard
// error box and the program goes on with the next event, as the handlers of the main window do
// for their own errors.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // onEnd runs whenever the application is asked to quit (the desktop session ending, or a
    // command of the program), before the event loops are told to end; it may be called again.
    void SetEndRequestHandler(std::function<void()> onEnd) { m_onEnd = std::move(onEnd); }

protected:
    bool event(QEvent* event) override;

private:
    std::function<void()> m_onEnd;
};
