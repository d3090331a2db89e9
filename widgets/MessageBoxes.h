#pragma once

#include "platform/UserDialogs.h"

#include <QString>

#include <functional>
#include <string>

class QWidget;
struct MessageBoxRehearsal;

// Every message box of the program goes through here.
//
// No box waits in a loop of its own. A box that only informs (ShowMessage, ShowError) is opened
// from the event loop once the handler that asked for it has returned, so a timer tick or a run
// that reports a failure goes on, and the timer keeps ticking while nobody answers; a box whose
// text is already on screen is not opened a second time. A question (Confirm, AskInformation)
// opens and returns; its Yes runs the command's continuation, guarded as a handler is: an error
// it raises is shown in the error box. Every box is modal to its parent's window only, so the
// tray icon keeps answering.
class MessageBoxes : public UserDialogs {
public:
    explicit MessageBoxes(QWidget* parent = nullptr) : m_parent(parent) {}

    void ShowMessage(const std::string& text) override;
    void Confirm(const std::string& question, std::function<void()> onYes) override;
    void AskInformation(const std::string& question, std::function<void()> onYes) override;
    void ShowError(const std::string& message) override;

private:
    friend struct TestSeams;
    // Set by tests alone; the program never records or pre-answers a box.
    static MessageBoxRehearsal* s_rehearsal;

    QWidget* m_parent;
};

// The application's title, used by plain message boxes and the error box.
QString ApplicationTitle();
