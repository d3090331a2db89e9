#include "wizardfrm/ProfileCommands.h"

#include "widgets/WidgetText.h"
#include "platform/Error.h"
#include "platform/TextFile.h"
#include "profiles/Profiles.h"
#include "wizardfrm/TWizard.h"

#include <QLineEdit>

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

// Shows a wizard modally and destroys it; its result is then in context.result.
void RunWizard(const ProfileCommandContext& context, const std::optional<WizardStart>& start)
{
    TWizard wizard({context.text, context.result}, context.owner);
    if (start) {
        wizard.Esource->setText(WidgetText(start->source));
        wizard.Edestination->setText(WidgetText(start->destination));
        wizard.Ename->setText(WidgetText(start->name));
        wizard.Edit1->setText(WidgetText(start->interval));
    }
    wizard.exec();
}

std::string ProfileLine(const WizardResult& result)
{
    return result.WizName + ";" + result.WizSource + ";" + result.WizDestination + ";" + result.WizInterval;
}

bool NameInUse(const ProfileCommandContext& context, const std::string& name)
{
    for (int32_t n = 1; n <= context.ProfileCount; ++n)
        if (SameProfileName(name, context.ProfileTable[n].Name.ToText()))
            return true;
    return false;
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

} // namespace

void NewProfileCommand(const ProfileCommandContext& context)
{
    // Refused before the wizard opens, so nobody fills in a profile that cannot be kept.
    if (context.ProfileCount >= MaxProfiles) {
        RefuseFullTable(context, platform::ReadLines(ItemsPath()).size());
        return;
    }
    RunWizard(context, std::nullopt);
    const WizardResult& result = context.result;
    if (result.WizName.empty())
        return;
    if (NameInUse(context, result.WizName)) {
        context.dialogs.ShowMessage(context.text[UiKey::Mprofileexist]);
        return;
    }

    const std::string path = ItemsPath();
    std::vector<std::string> lines = platform::ReadLines(path);
    // The file may have grown behind the table's back; a line past the table would never load.
    if (lines.size() >= static_cast<size_t>(MaxProfiles)) {
        RefuseFullTable(context, lines.size());
        return;
    }
    lines.push_back(ProfileLine(result));
    platform::WriteLines(path, lines);
    ReloadProfiles(context);
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
    const int32_t i = *found;

    const Profile& profile = context.ProfileTable[i];
    RunWizard(context, WizardStart{profile.Source.ToText(), profile.Destination.ToText(), profile.Name.ToText(),
                                   profile.Interval.ToText()});
    const WizardResult& result = context.result;
    if (result.WizName.empty())
        return;

    const std::string path = ItemsPath();
    std::vector<std::string> lines = platform::ReadLines(path);
    const auto lineOfProfile = static_cast<size_t>(i - 1);
    if (lineOfProfile < lines.size())
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(lineOfProfile));
    // The edited profile moves to the end, unless the file holds more lines than the table
    // loads: there the end would hide it, so it keeps its place.
    if (lines.size() >= static_cast<size_t>(MaxProfiles) && lineOfProfile <= lines.size())
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lineOfProfile), ProfileLine(result));
    else
        lines.push_back(ProfileLine(result));
    platform::WriteLines(path, lines);
    ReloadProfiles(context);
}
