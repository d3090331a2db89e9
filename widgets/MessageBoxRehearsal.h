#pragma once

#include <QMessageBox>

#include <deque>
#include <string>
#include <vector>

// What a test puts in place of the person at the screen: answers for the next boxes, and a record
// of every box asked for. A queued answer makes the next box act on it without showing anything.
struct MessageBoxRehearsal {
    struct Shown {
        std::string title;
        std::string text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    std::deque<QMessageBox::StandardButton> answers;
    std::vector<Shown> shown;
    // A box with no queued answer is answered at once with No (or OK where that is its only
    // button) instead of waiting for a person, so that no test can hang on a box.
    bool unattended = false;
};
