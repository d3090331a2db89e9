// The tray icon, hiding and closing the main window, and ending the program.
#include "MainFrm/TMain.h"

#include "widgets/ProgramIcons.h"
#include "widgets/TrayDoubleClick.h"
#include "widgets/TrayNotice.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

// How often the program looks whether a system tray has come or gone.
constexpr int TrayWatchMs = 2000;

} // namespace

void TMain::createTrayIcon()
{
    NormIcon = new QSystemTrayIcon(TrayIcon(), this);
    NormIcon->setObjectName(QStringLiteral("NormIcon"));
    NormIcon->setToolTip(QStringLiteral("Dupliqa"));
    NormIcon->setContextMenu(PopupMenu1);
    OnTrayDoubleClick(NormIcon, this, [this] { guarded([this] { NormIconDblClick(NormIcon); }); });
    // A click on a notice of a failed run opens the error log, as the menu's log item does.
    m_trayNotice = new TrayNotice(NormIcon, [this] { guarded([this] { N13Click(N16); }); });
    m_trayWatch = new QTimer(this);
    m_trayWatch->setInterval(TrayWatchMs);
    connect(m_trayWatch, &QTimer::timeout, this, &TMain::watchTray);
    m_trayWatch->start();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        NormIcon->show();
        return;
    }
    // Without a tray a hidden window could never be reached again: the window shows itself at
    // start-up, and the icon is added when a tray turns up later.
    QTimer::singleShot(0, this, [this] {
        if (!NormIcon->isVisible())
            show();
    });
}

void TMain::watchTray()
{
    if (!NormIcon->isVisible()) {
        if (QSystemTrayIcon::isSystemTrayAvailable())
            NormIcon->show();
        return;
    }
    // A tray that goes away takes the only way back to a hidden window with it: the window shows,
    // as at a start without a tray. The icon comes back by itself with the next tray.
    if (isHidden() && !m_quitting && !QSystemTrayIcon::isSystemTrayAvailable())
        show();
}

bool TMain::TrayAvailable() const
{
    return NormIcon && NormIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void TMain::hideToTray()
{
    if (TrayAvailable())
        hide();
    else
        showMinimized();
}

void TMain::closeEvent(QCloseEvent* event)
{
    if (m_quitting) {
        event->accept();
        return;
    }
    // The title bar's close button, the window menu's Close and Alt+F4 only put the window away;
    // a run in progress goes on.
    event->ignore();
    hideToTray();
}

void TMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && TrayAvailable())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}

void TMain::NormIconDblClick(QObject*)
{
    // After Exit the program only waits for its run to end: nothing opens again that would be lost then.
    if (m_quitting)
        return;
    showNormal();
    raise();
    activateWindow();
    // A dialog that blocks the window comes back in front of it, minimised or not, where it can
    // be answered.
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        if (dialog->isMinimized())
            dialog->showNormal();
        dialog->raise();
        dialog->activateWindow();
    }
}

void TMain::closeOpenDialogs()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (!dialog || !dialog->isVisible())
            continue;
        // Closed as cancelled, and nothing waits for its answer any more.
        QObject::disconnect(dialog, &QDialog::finished, nullptr, nullptr);
        dialog->reject();
    }
}

void TMain::quitProgram()
{
    m_quitting = true;
    closeOpenDialogs();
    close();
    // Ends the event loop; a run in progress finishes first, since it runs inside the handler
    // that started it.
    QApplication::quit();
}

void TMain::N8Click(QObject*)
{
    quitProgram();
}

void TMain::mnuQuitClick(QObject*)
{
    NormIconDblClick(mnuQuit);
    quitProgram();
}
