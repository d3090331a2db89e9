#pragma once

#include "localisation/UiText.h"

#include <string>

// The section of both files, and the key of the settings file.
constexpr const char* LanguageSection = "Language";
constexpr const char* LanguageNameKey = "Language";
constexpr const char* DefaultLanguageName = "English";

// exe folder + "Dupliqa.ini".
std::string SettingsPath();

// Reads the language name from the settings file (default "English") and writes it back,
// which creates the file, section and key when missing. Throws Error("Unable to write to <path>").
std::string ReadAndKeepLanguageName();

// Every "&" removed.
std::string StripAmpersands(const std::string& text);

// The path of a language's file: exe folder + name + ".Lang" (an empty name gives ".Lang"); an
// existing file whose name differs only in ASCII letter case ("greek.LANG") is that file.
// The name is only ever a file name inside the exe folder: every "/", "\" and NUL in it becomes
// "_", so "../x" gives ".._x.Lang" and "a\b" gives "a_b.Lang". "." and ".." need no mapping:
// with ".Lang" appended they already name the files "..Lang" and "...Lang" in the exe folder,
// which are the files the Language menu lists under those names.
std::string LanguageFilePath(const std::string& name);

// Steps 1 to 8 of applying a language: strips ampersands, stores the name in the settings file,
// reads the 49 texts of the language file into uiText (system encoding) and writes 48 back in
// their fixed order. Throws Error("Unable to write to <path>") at the first failed write, with the
// texts read so far already in uiText. Relabelling the window (step 9) is the caller's.
void LoadLanguage(const std::string& name, UiText& uiText);

// LoadLanguage at start-up, for the name that ReadAndKeepLanguageName has just read and written
// back: the settings file already holds it, so it is written again only when ampersands are
// stripped from it.
void LoadStartLanguage(const std::string& nameKept, UiText& uiText);
