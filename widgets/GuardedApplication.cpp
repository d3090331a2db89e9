#include "widgets/GuardedApplication.h"

#include "widgets/MessageBoxes.h"

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(ApplicationTitle());
    // Closing the main window by its close button only hides it; the program ends by command.
    setQuitOnLastWindowClosed(false);
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        MessageBoxes().ShowError(error.what());
    }
    return false;
}

bool GuardedApplication::event(QEvent* event)
{
    if (event->type() == QEvent::Quit && m_onEnd)
        m_onEnd();
    return QApplication::event(event);
}
