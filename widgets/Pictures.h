#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

// The pictures of the main window, drawn in code.

// Toolbar pictures, 24 × 24: 0 a blank sheet, 1 a black cross, 2 networked computers with an
// arrow, 3 a diskette, 4 a red prohibition sign, 5 a door with an arrow, 6 a folder.
QList<QIcon> ToolbarPictures();

// List pictures, 32 × 32: 0 a stack of diskettes, 1 the same marked with a red letter E.
QList<QIcon> ListPictures();

// The grip drawn at the toolbar's left edge, 5 × 44.
QPixmap GripPicture();
