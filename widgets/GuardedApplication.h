#pragma once

#include <QApplication>

// The application object. An error that escapes any event's handling is shown in the standard
// error box and the program goes on with the next event, as the handlers of the main window do
// for their own errors.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
