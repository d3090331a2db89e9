// The Info items of the main menu and of the tray menu, which open the about box.
#include "MainFrm/TMain.h"

#include "MainFrm/About/AboutBox.h"

void TMain::N9Click(QObject*)
{
    ShowAboutBox(this);
}

void TMain::mnuInfoClick(QObject*)
{
    ShowAboutBox(this);
}
