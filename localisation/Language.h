#pragma once

#include "localisation/UiText.h"

#include <string>

// exe folder + "Dupliqa.ini".
std::string SettingsPath();

// Reads the language name from the settings file (default "English") and writes it back,
// which creates the file, section and key when missing. Throws Error("Unable to write to <path>").
std::string ReadAndKeepLanguageName();

// Every "&" removed.
std::string StripAmpersands(const std::string& text);

// The path of a language's file: exe folder + name + ".Lang". A name that would lead outside the
// exe folder (it holds "/" or "\", or is "." or "..") gives a file name of its own inside it.
std::string LanguageFilePath(const std::string& name);

// Steps 1 to 8 of applying a language: strips ampersands, stores the name in the settings file,
// reads the 49 texts of the language file into uiText (system encoding) and writes 48 back in
// their fixed order. Throws Error("Unable to write to <path>") at the first failed write, with the
// texts read so far already in uiText. Relabelling the window (step 9) is the caller's.
void LoadLanguage(const std::string& name, UiText& uiText);
