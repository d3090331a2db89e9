#pragma once

#include "localisation/UiText.h"
#include "platform/UserDialogs.h"
#include "profiles/Profile.h"
#include "profiles/ProfileListView.h"

#include <cstdint>

class QWidget;

// What the New and Edit commands reach of the main window.
struct ProfileCommandContext {
    QWidget* owner; // owns the wizard while it is open; its window is blocked meanwhile
    const UiText& text;
    WizardResult& result;
    ProfileSlots& ProfileTable;
    int32_t& ProfileCount;
    ProfileListView& list;
    UserDialogs& dialogs;
};

// Both commands open the wizard and return; the rest is done when it closes, and the context's
// references must live until then. While a wizard is open, either brings it to the front.

// New profile: the wizard with its defaults; a name not yet in use is appended to Items.txt and
// the profiles are reloaded. Refused while the table is full. When Items.txt cannot be read or
// written, the error box says so and the profiles are not reloaded.
void NewProfileCommand(const ProfileCommandContext& context);

// Edit profile: the wizard filled from the first profile named like the selected item; its line
// is replaced by the wizard's result at the end of Items.txt and the profiles are reloaded. A line
// that another program moved or changed meanwhile is found again; no other profile's line is touched.
// Errors as for NewProfileCommand.
void EditProfileCommand(const ProfileCommandContext& context);
