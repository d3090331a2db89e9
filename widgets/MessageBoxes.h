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
    QMessageBox::StandardButton Show(const QString& title, const std::string& text, QMessageBox::Icon icon,
                                     QMessageBox::StandardButtons buttons, QMessageBox::StandardButton fallback);
    QWidget* m_parent;
};

// The application's title, used by plain message boxes and the error box.
QString ApplicationTitle();
