#pragma once

class QWidget;

// Keeps the minimise and maximise buttons off the title bar of a top-level window whose flags
// leave them out, also under a window manager that reads the flags' hints only as a whole. Call it
// before the window is first shown; it holds for every later show. Where the window manager draws
// a close button on every title bar, that one stays. Off X11 it does nothing.
void KeepMinimiseAndMaximiseOff(QWidget* window);
