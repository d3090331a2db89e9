#pragma once

#include <QSize>
#include <QWidget>

// Keeps the title bar of a top-level window free of text. Qt never leaves a window's name empty:
// with no title it puts the application's name there, which window managers show.
void KeepTitleBarBlank(QWidget* window);

// Gives a top-level window the outer size given, its frame included, as soon as the window
// system tells how wide the frame is; until then, and where there is no frame, the size is the
// window's inside size. Later sizes are the user's.
void SetOuterSize(QWidget* window, const QSize& outer);
