// The Info items of the main menu and of the tray menu, which open the about box.
#include "MainFrm/TMain.h"

#include "MainFrm/About/AboutBox.h"

#include <QTimer>

void TMain::N9Click(QObject*)
{
    ShowAboutBox(this);
}

// The opening effect handles events while it draws, which must not happen inside the tray menu's
// handling of the click.
void TMain::mnuInfoClick(QObject*)
{
    QTimer::singleShot(0, this, [this] { guarded([this] { ShowAboutBox(this); }); });
}
