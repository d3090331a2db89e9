#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The program's two pictures, drawn in code so that no picture file has to be found at run time.
// The main icon is a blue diskette with a green arrow going into it; the tray icon shows the same
// subject in a separate, pixel-sharp 32 x 32 drawing that uses only the 16 standard colours.

// The main icon drawn at size x size pixels on a transparent background.
QImage MainIconImage(int size);

// The main icon at the sizes desktops ask for (16 to 256 pixels).
QIcon MainIcon();

// The tray icon: 32 x 32, every pixel either transparent or one of the 16 standard colours.
QImage TrayIconImage();
QIcon TrayIcon();

// Writes the main icon at size x size pixels as a PNG file; false when the file cannot be written.
bool WriteMainIconPng(const QString& path, int size);
