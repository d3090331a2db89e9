#pragma once

#include "FakeDialogs.h"
#include "FakeProfileList.h"
#include "TempFolder.h"
#include "localisation/UiText.h"
#include "profiles/Profile.h"
#include "wizardfrm/ProfileCommands.h"

#include <gtest/gtest.h>

#include <QString>

#include <functional>
#include <string>

class QWidget;
class TWizard;
class TfolderSelect;

// Every test runs with an exe folder of its own, no queued answers and no window left open.
class WizardTestBase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TempFolder exeFolder;
    UiText text = UiText::BuiltIn();
    WizardResult result;
};

// The main window's side of the New and Edit commands, over a real Items.txt.
class ProfileCommandsTestBase : public WizardTestBase {
protected:
    ProfileCommandContext Context();
    void WriteItems(const std::string& bytes);
    std::string Items() const;
    void Load(); // LoadProfiles, as the main window does at start-up
    std::string ItemsFile() const { return exeFolder / "Items.txt"; }
    // Runs command and the event loop until the wizard it opened has closed and been handled.
    void Run(void (*command)(const ProfileCommandContext&));

    ProfileSlots table;
    int32_t count = 0;
    FakeProfileList list;
    FakeDialogs dialogs;
};

// Runs drive from the event loop on the wizard once it is the active modal window. Call it
// before the code that opens the wizard.
void WhenWizardOpens(std::function<void(TWizard&)> drive);

// Same for the folder picker.
void WhenPickerOpens(std::function<void(TfolderSelect&)> drive);

// The wizard that is open, if any.
TWizard* OpenWizard();

// Closes every modal window that is still open, so that a failed test never hangs the run.
void CloseModalWindows();

// Waits for condition while the event loop runs; false when it did not come true in time.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000);

// Clicks a button as the user does, with the left mouse button.
void Click(QWidget* button);

// What the user types into an edit: the edit's text replaced keystroke by keystroke.
void TypeInto(QWidget* edit, const QString& text);

// Walks the wizard from the welcome page to the name page with the given folders.
void WalkToNamePage(TWizard& wizard, const QString& source, const QString& destination);

// Fills the wizard's texts and presses Finish on the name page.
void FinishWizard(TWizard& wizard, const QString& source, const QString& destination, const QString& interval,
                  const QString& name);

// The content of a QString as program text.
std::string Bytes(const QString& text);
