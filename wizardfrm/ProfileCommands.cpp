#include "wizardfrm/ProfileCommands.h"

#include "widgets/WidgetText.h"
#include "platform/Error.h"
#include "platform/TextFile.h"
#include "profiles/Profiles.h"
#include "wizardfrm/TWizard.h"

#include <QApplication>
#include <QLineEdit>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// The texts an edited profile starts from in the wizard.
struct WizardStart {
    std::string source;
    std::string destination;
    std::string name;
    std::string interval;
};

// The wizard of this owner that is open, if any.
TWizard* OpenWizardOf(const QWidget* owner)
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* wizard = qobject_cast<TWizard*>(window); wizard && wizard->isVisible() && wizard->parent() == owner)
            return wizard;
    return nullptr;
}

// Opens a wizard modal to the owner's window and returns; onClosed runs when it has closed, with
// its result in context.result. While one wizard is open, another command brings it to the front
// instead of opening a second. An error raised by onClosed is shown in the error box.
void OpenWizard(const ProfileCommandContext& context, const std::optional<WizardStart>& start,
                std::function<void()> onClosed)
{
    if (TWizard* open = OpenWizardOf(context.owner)) {
        open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    auto* wizard = new TWizard({context.text, context.result}, context.owner);
    wizard->setAttribute(Qt::WA_DeleteOnClose);
    if (start) {
        wizard->Esource->setText(WidgetText(start->source));
        wizard->Edestination->setText(WidgetText(start->destination));
        wizard->Ename->setText(WidgetText(start->name));
        wizard->StartWithInterval(start->interval);
    }
    QObject::connect(wizard, &QDialog::finished, wizard, [dialogs = &context.dialogs, onClosed = std::move(onClosed)] {
        try {
            onClosed();
        } catch (const std::exception& error) {
            dialogs->ShowError(error.what());
        }
    });
    wizard->open();
}

std::string ProfileLine(const WizardResult& result)
{
    return result.WizName + ";" + result.WizSource + ";" + result.WizDestination + ";" + result.WizInterval;
}

// Asked of the loaded table and of the file as it is now: another program may have added the name
// while the wizard was open.
bool NameInUse(const ProfileCommandContext& context, const std::vector<std::string>& lines, const std::string& name)
{
    for (int32_t n = 1; n <= context.ProfileCount; ++n)
        if (SameProfileName(name, context.ProfileTable[n].Name.ToText()))
            return true;
    const size_t loaded = std::min(lines.size(), static_cast<size_t>(MaxProfiles));
    return std::any_of(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(loaded),
                       [&](const std::string& line) { return SameProfileName(name, GetField(line, 1)); });
}

// The first profile named like caption, searched among the loaded profiles only.
std::optional<int32_t> FirstProfileNamed(const ProfileCommandContext& context, const std::string& caption)
{
    for (int32_t n = 1; n <= context.ProfileCount; ++n)
        if (SameProfileName(context.ProfileTable[n].Name.ToText(), caption))
            return n;
    return std::nullopt;
}

// The refusal names the file's own count: in a file longer than the table, deleting a profile
// from the list brings the next line into the table and makes no room.
void RefuseFullTable(const ProfileCommandContext& context, size_t linesInFile)
{
    context.dialogs.ShowMessage(FormatMessage(context.text[UiKey::Mprofilelimit], std::to_string(linesInFile)));
}

void ReloadProfiles(const ProfileCommandContext& context)
{
    LoadProfiles(context.ProfileTable, context.ProfileCount, context.list, context.text);
}

void AddWizardsProfile(const ProfileCommandContext& context)
{
    const WizardResult& result = context.result;
    if (result.WizName.empty())
        return;

    const std::string path = ItemsPath();
    platform::TextLines text = platform::ReadTextLines(path);
    if (NameInUse(context, text.lines, result.WizName)) {
        context.dialogs.ShowMessage(context.text[UiKey::Mprofileexist]);
        return;
    }
    // The file may have grown behind the table's back; a line past the table would never load.
    if (text.lines.size() >= static_cast<size_t>(MaxProfiles)) {
        RefuseFullTable(context, text.lines.size());
        return;
    }
    text.lines.push_back(ProfileLine(result));
    platform::WriteTextLines(path, text);
    ReloadProfiles(context);
}

bool HoldsProfile(const std::string& line, const WizardStart& loaded)
{
    return GetField(line, 1) == loaded.name && GetField(line, 2) == loaded.source
        && GetField(line, 3) == loaded.destination && GetField(line, 4) == loaded.interval;
}

// The line of the edited profile, which was loaded from line loadedAt. Another program may have changed
// Items.txt while the wizard was open: then it is the first loaded line that still holds the profile as it
// was loaded, or else the first that holds a profile of its name, changed meanwhile. None when it is gone.
std::optional<size_t> LineOfEditedProfile(const std::vector<std::string>& lines, size_t loadedAt,
                                          const WizardStart& loaded)
{
    const size_t loadedLines = std::min(lines.size(), static_cast<size_t>(MaxProfiles));
    if (loadedAt < loadedLines && HoldsProfile(lines[loadedAt], loaded))
        return loadedAt;
    for (size_t i = 0; i < loadedLines; ++i)
        if (HoldsProfile(lines[i], loaded))
            return i;
    for (size_t i = 0; i < loadedLines; ++i)
        if (SameProfileName(GetField(lines[i], 1), loaded.name))
            return i;
    return std::nullopt;
}

// The wizard was opened on profile i, loaded as it started.
void ReplaceWithWizardsProfile(const ProfileCommandContext& context, int32_t i, const WizardStart& loaded)
{
    const WizardResult& result = context.result;
    if (result.WizName.empty())
        return;

    const std::string path = ItemsPath();
    platform::TextLines text = platform::ReadTextLines(path);
    std::vector<std::string>& lines = text.lines;
    const std::optional<size_t> lineOfProfile = LineOfEditedProfile(lines, static_cast<size_t>(i - 1), loaded);
    if (lineOfProfile) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*lineOfProfile));
    } else if (lines.size() >= static_cast<size_t>(MaxProfiles)) {
        // Removed meanwhile from a full file: appended, it would lie past the table and never load.
        RefuseFullTable(context, lines.size());
        return;
    }
    // The edited profile moves to the end, unless the file holds more lines than the table
    // loads: there the end would hide it, so it keeps its place.
    if (lineOfProfile && lines.size() >= static_cast<size_t>(MaxProfiles))
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*lineOfProfile), ProfileLine(result));
    else
        lines.push_back(ProfileLine(result));
    platform::WriteTextLines(path, text);
    ReloadProfiles(context);
}

} // namespace

void NewProfileCommand(const ProfileCommandContext& context)
{
    // Refused before the wizard opens, so nobody fills in a profile that cannot be kept.
    if (context.ProfileCount >= MaxProfiles) {
        RefuseFullTable(context, platform::ReadLines(ItemsPath()).size());
        return;
    }
    OpenWizard(context, std::nullopt, [context] { AddWizardsProfile(context); });
}

void EditProfileCommand(const ProfileCommandContext& context)
{
    const std::optional<std::string> caption = context.list.SelectedCaption();
    if (!caption) {
        context.dialogs.ShowMessage(context.text[UiKey::MNochoice]);
        return;
    }
    // A caption edited in place in the list may name no profile at all: then there is nothing to edit.
    const std::optional<int32_t> found = FirstProfileNamed(context, *caption);
    if (!found)
        return;
    const Profile& profile = context.ProfileTable[*found];
    const WizardStart loaded{profile.Source.ToText(), profile.Destination.ToText(), profile.Name.ToText(),
                             profile.Interval.ToText()};
    OpenWizard(context, loaded, [context, i = *found, loaded] { ReplaceWithWizardsProfile(context, i, loaded); });
}
