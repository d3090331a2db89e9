#pragma once

#include "folderSelectfrm/TfolderSelect.h"
#include "widgets/MessageBoxRehearsal.h"
#include "widgets/MessageBoxes.h"

#include <string>
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

    // The next folder picker gives this answer as it opens, without showing anything.
    static void AnswerNextPickerWithFolder(const std::string& folder) { Pickers().push_back(folder); }
    static void AnswerNextPickerWithCancel() { Pickers().push_back(std::nullopt); }
    static void ClearPickerAnswers() { Pickers().clear(); }
    static int QueuedPickerAnswerCount() { return static_cast<int>(Pickers().size()); }

private:
    static MessageBoxRehearsal& Boxes()
    {
        static MessageBoxRehearsal rehearsal;
        MessageBoxes::s_rehearsal = &rehearsal;
        return rehearsal;
    }
    static std::deque<std::optional<std::string>>& Pickers() { return TfolderSelect::s_rehearsedAnswers; }
};
