#include "profiles/Profiles.h"

#include "platform/ExeFolder.h"
#include "platform/Listing.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <optional>

std::string GetField(const std::string& line, int16_t n)
{
    int k = 1;
    std::string result;
    for (char c : line) {
        if (c == ';')
            ++k;
        if (k == n && c != ';')
            result += c;
    }
    return result;
}

bool SameProfileName(const std::string& a, const std::string& b)
{
    return platform::AsciiUpper(a) == platform::AsciiUpper(b);
}

std::string ItemsPath()
{
    return platform::ExeFolder() + "Items.txt";
}

size_t LoadProfiles(ProfileSlots& ProfileTable, int32_t& ProfileCount, ProfileListView& list, const UiText& text)
{
    // Even a reload that fails later has thrown the old table away.
    ProfileTable.BeginReload();
    ProfileCount = 0;
    list.ClearItems();
    const std::string path = ItemsPath();
    if (!platform::PathExists(path))
        platform::WriteLines(path, {});
    // Lines past the table stay in the file untouched; every writer keeps them.
    const std::vector<std::string> lines = platform::ReadLines(path);
    for (const std::string& line : lines) {
        if (ProfileCount == MaxProfiles)
            break;
        list.AddItem(GetField(line, 1), 0);
        ++ProfileCount;
        Profile& profile = ProfileTable[ProfileCount];
        profile.Name = GetField(line, 1);
        profile.Source = GetField(line, 2);
        profile.Destination = GetField(line, 3);
        profile.Interval = GetField(line, 4);
        profile.Countdown = profile.Interval;
    }
    list.SetCountText(std::to_string(ProfileCount) + " " + text[UiKey::Mprofile]);
    return lines.size() - static_cast<size_t>(ProfileCount);
}

std::string UnloadedLinesText(size_t unloaded)
{
    return std::to_string(unloaded) + " lines of " + ItemsPath() + " after the first " + std::to_string(MaxProfiles)
        + " were not loaded: their profiles do not run";
}

void DeleteProfileLine(const std::string& name)
{
    const std::string path = ItemsPath();
    // Only the lines that were loaded can be chosen in the list; lines past the table, and whatever follows a
    // NUL, stay as they are.
    platform::TextLines text = platform::ReadTextLines(path);
    std::vector<std::string>& lines = text.lines;
    const size_t loaded = std::min(lines.size(), static_cast<size_t>(MaxProfiles));
    std::optional<size_t> doomed;
    for (size_t i = 0; i < loaded; ++i)
        if (SameProfileName(GetField(lines[i], 1), name))
            doomed = i;
    if (doomed)
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*doomed));
    platform::WriteTextLines(path, text);
}

void DeleteSelectedProfile(ProfileSlots& ProfileTable, int32_t& ProfileCount, ProfileListView& list,
                           const UiText& text, UserDialogs& dialogs)
{
    const std::optional<std::string> caption = list.SelectedCaption();
    if (!caption) {
        dialogs.ShowMessage(text[UiKey::MNochoice]);
        return;
    }
    dialogs.Confirm(text[UiKey::MconfigDel] + " " + *caption + " ?",
                    [&ProfileTable, &ProfileCount, &list, &text, doomed = *caption] {
                        DeleteProfileLine(doomed);
                        LoadProfiles(ProfileTable, ProfileCount, list, text);
                    });
}
