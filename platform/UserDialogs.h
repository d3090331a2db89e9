#pragma once

#include <functional>
#include <string>

// The message boxes that commands below the forms need. The widget layer implements it with
// real boxes (and a test seam); the commands never include a widget header.
//
// A question returns at once and the command goes on in onYes when the user answers Yes, so a
// run, the scheduler and the tray icon go on while the box waits. No, Escape, or the program
// ending while the box is open runs nothing.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // A plain message box: the text and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;

    // The standard confirmation box: title "Confirm", question icon, "&Yes" and "&No".
    virtual void Confirm(const std::string& question, std::function<void()> onYes) = 0;

    // The information box: caption "Information", information icon, Yes and No.
    virtual void AskInformation(const std::string& question, std::function<void()> onYes) = 0;

    // The standard error box: application title, error icon, OK, the text of StandardErrorText.
    virtual void ShowError(const std::string& message) = 0;
};
