#pragma once

#include "widgets/TitleBarButtons.h"

#include <QDialog>
#include <QPoint>
#include <QRect>

#include <string>

class QKeyEvent;
class QLabel;
class QPushButton;
class QWidget;

// Helpers shared by the dialogs that are laid out in pixels at their design bounds.

// The design font: the system's sans-serif at the pixel size the layout was drawn for, so that
// texts fit their bounds whatever the screen's dots per inch.
void ApplyDesignFont(QWidget* form);

// A push button at its bounds. It never becomes a default button: these dialogs have none, so
// Enter presses nothing.
QPushButton* MakeButton(QWidget* parent, const char* name, const QRect& bounds);

// The height of a push button whose design gives only its width.
inline constexpr int ButtonHeight = 25;

// A label at its design position; it sizes itself to its text.
QLabel* MakeLabel(QWidget* parent, const char* name, const QPoint& position);
void SetLabelCaption(QLabel* label, const std::string& caption);

// A dialog without default and cancel buttons: Enter and Escape press nothing, and the title bar
// carries the title only. Shown modally, it blocks the windows it belongs to and no others, so the
// tray icon still answers while it is open.
class DialogWithoutDefaultButtons : public QDialog {
public:
    explicit DialogWithoutDefaultButtons(QWidget* parent)
        : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    {
        setWindowModality(Qt::WindowModal);
        KeepMinimiseAndMaximiseOff(this);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
