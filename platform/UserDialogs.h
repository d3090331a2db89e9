#pragma once

#include <string>

// The message boxes that commands below the forms need. The widget layer implements it with
// real boxes (and a test seam); the commands never include a widget header.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // A plain message box: the text and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;

    // The standard confirmation box: title "Confirm", question icon, "&Yes" and "&No".
    // True when the answer is Yes.
    virtual bool Confirm(const std::string& question) = 0;

    // The information box: caption "Information", information icon, Yes and No. True on Yes.
    virtual bool AskInformation(const std::string& question) = 0;

    // The standard error box: application title, error icon, OK, the text of StandardErrorText.
    virtual void ShowError(const std::string& message) = 0;
};
