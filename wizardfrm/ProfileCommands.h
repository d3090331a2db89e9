#pragma once

#include "localisation/UiText.h"
#include "platform/UserDialogs.h"
#include "profiles/Profile.h"
#include "profiles/ProfileListView.h"

#include <cstdint>

class QWidget;

// What the New and Edit commands reach of the main window.
struct ProfileCommandContext {
    QWidget* owner; // owns the wizard while it is open
    const UiText& text;
    WizardResult& result;
    ProfileSlots& ProfileTable;
    int32_t& ProfileCount;
    ProfileListView& list;
    UserDialogs& dialogs;
};

// New profile: the wizard with its defaults; a name not yet in use is appended to Items.txt and
// the profiles are reloaded. Refused while the table is full. Throws Error when Items.txt cannot
// be read or written; the profiles are then not reloaded.
void NewProfileCommand(const ProfileCommandContext& context);

// Edit profile: the wizard filled from the first profile named like the selected item; its line
// is replaced by the wizard's result at the end of Items.txt and the profiles are reloaded.
// Throws as NewProfileCommand does.
void EditProfileCommand(const ProfileCommandContext& context);
