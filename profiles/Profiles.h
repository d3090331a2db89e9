#pragma once

#include "localisation/UiText.h"
#include "platform/UserDialogs.h"
#include "profiles/Profile.h"
#include "profiles/ProfileListView.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The n-th ";"-separated field of line, counted from 1; empty when there is none.
std::string GetField(const std::string& line, int16_t n);

// Profile names compare equal after upper-casing ASCII a to z only.
bool SameProfileName(const std::string& a, const std::string& b);

// exe folder + "Items.txt".
std::string ItemsPath();

// Rebuilds ProfileTable, ProfileCount, the list and the count text from Items.txt. At most
// MaxProfiles lines are loaded; lines beyond stay in the file untouched. Returns how many lines
// were not loaded.
// Throws Error("Cannot open file <path>") when Items.txt cannot be read (table and list then empty).
size_t LoadProfiles(ProfileSlots& ProfileTable, int32_t& ProfileCount, ProfileListView& list, const UiText& text);

// The log line that tells of lines of Items.txt that were not loaded, so never run.
std::string UnloadedLinesText(size_t unloaded);

// Removes the last line of Items.txt whose name field equals name; writes the file back.
void DeleteProfileLine(const std::string& name);

// The Delete command: no selection gives MNochoice; otherwise asks, and on Yes deletes the item
// that was selected when it asked and reloads. The tables and the list must outlive the question.
void DeleteSelectedProfile(ProfileSlots& ProfileTable, int32_t& ProfileCount, ProfileListView& list,
                           const UiText& text, UserDialogs& dialogs);
