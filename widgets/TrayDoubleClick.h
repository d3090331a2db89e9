#pragma once

#include <QRect>
#include <QSystemTrayIcon>

#include <functional>

// Calls onDoubleClick, once control is back in the event loop, for a double click on the icon
// with any mouse button, for as long as context lives. Qt reports a double click for the left
// button only. A second press of the middle button reaches the icon's window as a double-click
// event that Qt drops; a second press of the right button reaches the tray menu that the first
// press opened, since the menu opens under the pointer. So every press of those two buttons that
// the program receives is checked against the icon's place on the screen; the second within the
// desktop's double-click time makes a double click, and one that went to the tray menu closes the
// menu instead of choosing the item under the pointer.
void OnTrayDoubleClick(QSystemTrayIcon* icon, QObject* context, std::function<void()> onDoubleClick);

// The same, with the icon's place on the screen told by iconArea.
void OnDoubleClickIn(std::function<QRect()> iconArea, QObject* context, std::function<void()> onDoubleClick);
