#pragma once

#include "TempFolder.h"
#include "localisation/UiText.h"
#include "platform/UserDialogs.h"
#include "profiles/Profile.h"
#include "profiles/ProfileListView.h"
#include "wizardfrm/ProfileCommands.h"

#include <gtest/gtest.h>

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;
class TWizard;
class TfolderSelect;

// The list view and count panel of the main window, as the profile commands see them.
class FakeProfileList : public ProfileListView {
public:
    void ClearItems() override;
    void AddItem(const std::string& caption, int image) override;
    void SetCountText(const std::string& text) override { countText = text; }
    std::optional<std::string> SelectedCaption() const override;

    void Select(size_t item) { selected = item; }

    std::vector<std::string> captions;
    std::vector<int> images;
    std::optional<size_t> selected;
    std::string countText;
};

// Message boxes of the commands, recorded instead of shown.
class RecordingDialogs : public UserDialogs {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void Confirm(const std::string& question, std::function<void()>) override { messages.push_back(question); }
    void AskInformation(const std::string& question, std::function<void()>) override { messages.push_back(question); }
    void ShowError(const std::string& message) override { errors.push_back(message); }

    std::vector<std::string> messages;
    std::vector<std::string> errors;
};

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
    RecordingDialogs dialogs;
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
