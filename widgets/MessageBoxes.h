#pragma once

#include "platform/UserDialogs.h"

#include <QMessageBox>
#include <QString>

#include <deque>
#include <optional>
#include <string>
#include <vector>

// Every message box of the program goes through here. Tests queue answers with SetNextAnswer;
// a queued answer makes the next box return it without showing anything, and every box, shown
// or answered, is recorded so that tests can read its title, text, icon and buttons.
//
// A box that only informs (ShowMessage, ShowError) never waits: it is opened from the event loop
// once the handler that asked for it has returned, so a timer tick or a run that reports a failure
// goes on, and the timer keeps ticking while nobody answers. A box whose text is already on screen
// is not opened a second time. A question (Confirm, AskInformation) waits for its answer.
// Every box is modal to its parent's window only, so the tray icon keeps answering.
class MessageBoxes : public UserDialogs {
public:
    struct Shown {
        std::string title;
        std::string text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    explicit MessageBoxes(QWidget* parent = nullptr) : m_parent(parent) {}
    void SetParent(QWidget* parent) { m_parent = parent; }

    void ShowMessage(const std::string& text) override;
    bool Confirm(const std::string& question) override;
    bool AskInformation(const std::string& question) override;
    void ShowError(const std::string& message) override;

    // Test seam.
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    static const std::vector<Shown>& History();
    static void ClearHistory();
    // With this on, a box with no queued answer is answered at once with No (or OK where that is
    // its only button) instead of waiting for a person, so that no test can hang on a box.
    static void SetUnattendedForTesting(bool unattended);

private:
    QMessageBox::StandardButton Ask(const QString& title, const std::string& text, QMessageBox::Icon icon);
    void Inform(const QString& title, const std::string& text, QMessageBox::Icon icon);
    QWidget* m_parent;
};

// The application's title, used by plain message boxes and the error box.
QString ApplicationTitle();
