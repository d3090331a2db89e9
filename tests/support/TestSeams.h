#pragma once

#include "widgets/MessageBoxRehearsal.h"
#include "widgets/MessageBoxes.h"

#include <vector>

// The hooks that tests have into the widgets; the program has no way to reach them.
struct TestSeams {
    // The next message box acts on answer without showing anything.
    static void SetNextAnswer(QMessageBox::StandardButton answer) { Boxes().answers.push_back(answer); }
    // Every box asked for since the last ClearBoxHistory, shown or answered.
    static const std::vector<MessageBoxRehearsal::Shown>& BoxHistory() { return Boxes().shown; }
    static void ClearBoxHistory()
    {
        Boxes().shown.clear();
        Boxes().answers.clear();
    }
    static void SetUnattendedBoxes(bool unattended) { Boxes().unattended = unattended; }

private:
    static MessageBoxRehearsal& Boxes()
    {
        static MessageBoxRehearsal rehearsal;
        MessageBoxes::s_rehearsal = &rehearsal;
        return rehearsal;
    }
};
