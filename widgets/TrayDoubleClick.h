#pragma once

#include <QSystemTrayIcon>

#include <functional>

// Calls onDoubleClick for a double click on the icon with any mouse button, for as long as
// context lives. Qt reports a double click for the left button only; for the middle and right
// buttons it reports each press, so two presses of one of them within the desktop's double-click
// interval count as a double click here.
void OnTrayDoubleClick(QSystemTrayIcon* icon, QObject* context, std::function<void()> onDoubleClick);
