#include "localisation/Language.h"

#include "localisation/IniFile.h"
#include "platform/Cp1253.h"
#include "platform/Error.h"
#include "platform/ExeFolder.h"
#include "platform/Listing.h"

#include <algorithm>
#include <span>
#include <vector>

namespace {

// A key as written back. The wizard labels are written as "wLabel1" to "wLabel7": the same keys as
// the "wlabel1" to "wlabel7" read, so a file that has them keeps its own spelling.
struct WriteBack {
    UiKey key;
    const char* spelling;
};

constexpr WriteBack WizardWriteOrder[] = {
    {UiKey::wlabel5A, "wlabel5A"}, {UiKey::wlabel5B, "wlabel5B"},
    {UiKey::Wizard1, "Wizard1"}, {UiKey::Wizard2, "Wizard2"}, {UiKey::Wizard3, "Wizard3"},
    {UiKey::Wizard4, "Wizard4"}, {UiKey::Wizard5, "Wizard5"}, {UiKey::Wizard6, "Wizard6"},
    {UiKey::Wizard7, "Wizard7"}, {UiKey::Wizard8, "Wizard8"},
    {UiKey::Wbpring, "Wbpring"}, {UiKey::Wmnext, "Wmnext"}, {UiKey::wbcancel, "wbcancel"}, {UiKey::wgroup, "wgroup"},
    {UiKey::wlabel1, "wLabel1"}, {UiKey::wlabel2, "wLabel2"}, {UiKey::wlabel3, "wLabel3"},
    {UiKey::wlabel4, "wLabel4"}, {UiKey::wlabel5, "wLabel5"}, {UiKey::wlabel6, "wLabel6"},
    {UiKey::wlabel7, "wLabel7"},
};

using Keys = std::span<const UiKeyInfo>;

std::vector<WriteBack> InReadOrder(Keys keys)
{
    std::vector<WriteBack> order;
    for (const auto& info : keys)
        order.push_back({info.key, info.name});
    return order;
}

// Language files hold Windows-1253; so do the defaults handed to the INI reads, so that a missing
// key yields the same bytes as a file that holds the built-in text.
void ReadTexts(const IniFileEdit& file, Keys keys, UiText& uiText)
{
    for (const auto& info : keys) {
        const std::string builtIn = platform::Cp1253FromSystem(info.builtIn);
        uiText[info.key] = platform::SystemFromCp1253(file.Read(LanguageSection, info.name, builtIn));
    }
}

void WriteTexts(IniFileEdit& file, std::span<const WriteBack> keys, const UiText& uiText)
{
    for (const auto& [key, spelling] : keys)
        file.Write(LanguageSection, spelling, platform::Cp1253FromSystem(uiText[key]));
}

// Reads the 49 texts and writes 48 back in their fixed order, in memory, then writes the file once.
// A file that cannot be written fails where its first write-back would have failed: with the first
// ten texts read and the others as they were.
void LoadLanguageFile(const std::string& path, UiText& uiText)
{
    const Keys all(UiKeysInReadOrder());
    const Keys messages = all.subspan(0, 10);
    const Keys mainWindow = all.subspan(10, 16);
    const Keys pickerAndWizard = all.subspan(26, 22);
    const Keys languageMenu = all.subspan(48, 1);

    const UiText before = uiText;
    IniFileEdit file(path);
    ReadTexts(file, messages, uiText);
    WriteTexts(file, InReadOrder(messages), uiText);
    ReadTexts(file, mainWindow, uiText);
    WriteTexts(file, InReadOrder(mainWindow), uiText);
    // The folder picker's label is read but never written back.
    ReadTexts(file, pickerAndWizard, uiText);
    WriteTexts(file, WizardWriteOrder, uiText);
    ReadTexts(file, languageMenu, uiText);
    WriteTexts(file, InReadOrder(languageMenu), uiText);
    ReadTexts(file, AddedUiKeys(), uiText);
    try {
        file.Save();
    } catch (const Error&) {
        for (const auto& info : all.subspan(messages.size()))
            uiText[info.key] = before[info.key];
        for (const auto& info : AddedUiKeys())
            uiText[info.key] = before[info.key];
        throw;
    }
}

} // namespace

std::string SettingsPath()
{
    return platform::ExeFolder() + "Dupliqa.ini";
}

std::string ReadAndKeepLanguageName()
{
    IniFileEdit settings(SettingsPath());
    const std::string name = settings.Read(LanguageSection, LanguageNameKey, DefaultLanguageName);
    settings.Write(LanguageSection, LanguageNameKey, name);
    settings.Save();
    return name;
}

std::string StripAmpersands(const std::string& text)
{
    std::string result;
    for (char c : text)
        if (c != '&')
            result += c;
    return result;
}

std::string LanguageFilePath(const std::string& name)
{
    std::string fileName = name;
    std::replace_if(fileName.begin(), fileName.end(), [](char c) { return c == '/' || c == '\\' || c == '\0'; }, '_');
    fileName += ".Lang";
    // The Language menu lists "*.lang" in any letter case, so the file it names is found the same way.
    if (auto existing = platform::FindFileCaseBlind(platform::ExeFolder(), fileName))
        fileName = *existing;
    return platform::ExeFolder() + fileName;
}

void LoadLanguage(const std::string& name, UiText& uiText)
{
    const std::string languageName = StripAmpersands(name);
    WriteIniString(SettingsPath(), LanguageSection, LanguageNameKey, languageName);
    LoadLanguageFile(LanguageFilePath(languageName), uiText);
}

void LoadStartLanguage(const std::string& nameKept, UiText& uiText)
{
    const std::string languageName = StripAmpersands(nameKept);
    // Writing the same name again would give the same bytes: the file is written once per start.
    if (languageName != nameKept)
        WriteIniString(SettingsPath(), LanguageSection, LanguageNameKey, languageName);
    LoadLanguageFile(LanguageFilePath(languageName), uiText);
}
