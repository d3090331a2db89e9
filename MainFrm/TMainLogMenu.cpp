// The log items of the View menu and of the tray menu: view the error log, or delete it.
#include "MainFrm/TMain.h"

#include "engine/ErrorLog.h"

void TMain::N13Click(QObject*)
{
    ViewErrorLog();
}

void TMain::N14Click(QObject*)
{
    ClearErrorLog(UiText, m_dialogs);
}
