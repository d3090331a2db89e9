#include "ImmutableFlag.h"
#include "SystemSeams.h"
#include "TempFolder.h"
#include "localisation/Language.h"
#include "platform/Cp1253.h"
#include "platform/Error.h"
#include "platform/ExeFolder.h"
#include "platform/Listing.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

using platform::Cp1253FromSystem;
using platform::SystemFromCp1253;

namespace {

// The order in which a created language file holds its keys, with the spelling each is written in.
const std::vector<std::pair<const char*, UiKey>> CreatedFileOrder = {
    {"Error1", UiKey::Error1}, {"MErrorCopy", UiKey::MErrorCopy}, {"MErrorsto", UiKey::MErrorsto},
    {"Mrun", UiKey::Mrun}, {"Mprofile", UiKey::Mprofile}, {"Mprofileexist", UiKey::Mprofileexist},
    {"MNochoice", UiKey::MNochoice}, {"MconfigDel", UiKey::MconfigDel}, {"Mstop", UiKey::Mstop},
    {"MconfirmDel", UiKey::MconfirmDel},
    {"Bcreate", UiKey::Bcreate}, {"bdelete", UiKey::bdelete}, {"Bconfig", UiKey::Bconfig}, {"BRun", UiKey::BRun},
    {"Mfile", UiKey::Mfile}, {"MView", UiKey::MView}, {"MInfo", UiKey::MInfo}, {"BnewProfile", UiKey::BnewProfile},
    {"Bcopynow", UiKey::Bcopynow}, {"Bexit", UiKey::Bexit}, {"Vlarge", UiKey::Vlarge}, {"Vsmall", UiKey::Vsmall},
    {"Vlist", UiKey::Vlist}, {"Vdetails", UiKey::Vdetails}, {"VlogFile", UiKey::VlogFile},
    {"VdelLogfile", UiKey::VdelLogfile},
    {"wlabel5A", UiKey::wlabel5A}, {"wlabel5B", UiKey::wlabel5B},
    {"Wizard1", UiKey::Wizard1}, {"Wizard2", UiKey::Wizard2}, {"Wizard3", UiKey::Wizard3},
    {"Wizard4", UiKey::Wizard4}, {"Wizard5", UiKey::Wizard5}, {"Wizard6", UiKey::Wizard6},
    {"Wizard7", UiKey::Wizard7}, {"Wizard8", UiKey::Wizard8}, {"Wbpring", UiKey::Wbpring},
    {"Wmnext", UiKey::Wmnext}, {"wbcancel", UiKey::wbcancel}, {"wgroup", UiKey::wgroup},
    {"wLabel1", UiKey::wlabel1}, {"wLabel2", UiKey::wlabel2}, {"wLabel3", UiKey::wlabel3},
    {"wLabel4", UiKey::wlabel4}, {"wLabel5", UiKey::wlabel5}, {"wLabel6", UiKey::wlabel6},
    {"wLabel7", UiKey::wlabel7},
    {"Mlang", UiKey::Mlang},
};

std::vector<UiKey> AllKeys()
{
    std::vector<UiKey> keys;
    for (int slot = 1; slot <= UiTextCount; ++slot)
        keys.push_back(static_cast<UiKey>(slot));
    return keys;
}

std::string WithoutTrailingBlanks(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// The lines of a language file, decoded.
std::vector<std::string> LinesOf(const std::string& path)
{
    return platform::SplitLines(SystemFromCp1253(ReadFileBytes(path)));
}

size_t CountLinesStartingWith(const std::vector<std::string>& lines, const std::string& start)
{
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return platform::AsciiUpper(line.substr(0, start.size())) == platform::AsciiUpper(start);
    }));
}

std::string LoadFailure(const std::string& name, UiText& uiText)
{
    try {
        LoadLanguage(name, uiText);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

// Each test has an exe folder of its own.
class LanguageFiles : public ::testing::Test {
protected:
    void SetUp() override { SystemSeams::SetExeFolder(m_exe.path()); }

    const std::string& exe() const { return m_exe.path(); }
    std::string inExe(const std::string& name) const { return m_exe / name; }

    TempFolder m_exe;
};

} // namespace

TEST(StripAmpersands, RemovesEveryAmpersandAndNothingElse)
{
    EXPECT_EQ(StripAmpersands("&English"), "English");
    EXPECT_EQ(StripAmpersands("a&&b&"), "ab");
    EXPECT_EQ(StripAmpersands("&&& ρύθμισης "), " ρύθμισης ");
    EXPECT_EQ(StripAmpersands(""), "");
    EXPECT_EQ(StripAmpersands("&"), "");
}

TEST_F(LanguageFiles, ANameNeverLeadsOutsideTheExeFolder)
{
    EXPECT_EQ(SettingsPath(), exe() + "Dupliqa.ini");
    EXPECT_EQ(LanguageFilePath("English"), exe() + "English.Lang");
    EXPECT_EQ(LanguageFilePath(""), exe() + ".Lang");
    EXPECT_EQ(LanguageFilePath("../x"), exe() + ".._x.Lang");
    EXPECT_EQ(LanguageFilePath("a\\b"), exe() + "a_b.Lang");
    EXPECT_EQ(LanguageFilePath("/etc/passwd"), exe() + "_etc_passwd.Lang");
    EXPECT_EQ(LanguageFilePath(std::string("Items.txt\0/", 11)), exe() + "Items.txt__.Lang");
    EXPECT_EQ(LanguageFilePath("."), exe() + "..Lang");
    EXPECT_EQ(LanguageFilePath(".."), exe() + "...Lang");
    const std::filesystem::path folder = std::filesystem::path(exe()).parent_path();
    for (const char* name : {"..", ".", "../..", "/", "\\..\\..", "a/../../b", ""}) {
        const std::filesystem::path file = std::filesystem::path(LanguageFilePath(name)).lexically_normal();
        EXPECT_EQ(file.parent_path(), folder) << name;
        EXPECT_NE(file.filename(), "..") << name;
    }
}

TEST_F(LanguageFiles, TheSettingsFileIsCreatedWithEnglishAndKeepsWhatItHolds)
{
    EXPECT_EQ(ReadAndKeepLanguageName(), "English");
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[Language]\r\nLanguage=English\r\n");
    EXPECT_EQ(ReadAndKeepLanguageName(), "English");
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[Language]\r\nLanguage=English\r\n");

    // The settings file is in the system encoding: a name comes back byte for byte.
    WriteFileBytes(SettingsPath(), "[language]\nlanguage = \"Ελληνικά\" \n");
    EXPECT_EQ(ReadAndKeepLanguageName(), "Ελληνικά");
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[language]\r\nlanguage =Ελληνικά\r\n");

    WriteFileBytes(SettingsPath(), "[Language]\r\nLanguage=\r\n");
    EXPECT_EQ(ReadAndKeepLanguageName(), "");
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[Language]\r\nLanguage=\r\n");
}

TEST_F(LanguageFiles, AnUnwritableExeFolderFailsTheSettingsFile)
{
    ImmutableFlag frozen(exe());
    if (!frozen.applied())
        GTEST_SKIP() << ImmutableFlagRefused;
    try {
        ReadAndKeepLanguageName();
        FAIL() << "the settings file cannot be created";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + exe() + "Dupliqa.ini");
    }
}

TEST_F(LanguageFiles, FirstStartCreatesBothFilesWithTheBuiltInTexts)
{
    UiText uiText;
    LoadLanguage("English", uiText);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[Language]\r\nLanguage=English\r\n");

    // The file holds the 48 keys in write order, the built-in texts in Windows-1253, and no
    // trailing blanks, since the texts written are the ones read, defaults included.
    std::string expected = "[Language]\r\n";
    for (const auto& [spelling, key] : CreatedFileOrder)
        expected += std::string(spelling) + "=" + Cp1253FromSystem(WithoutTrailingBlanks(InfoOf(key).builtIn)) + "\r\n";
    const std::string bytes = ReadFileBytes(LanguageFilePath("English"));
    EXPECT_EQ(bytes, expected);
    for (const char* line : {"\r\nError1=File cannot be copied onto itself\r\n", "\r\nMrun=\xC5\xEA\xF4\xDD\xEB\xE5\xF3\xE7\r\n",
                             "\r\nMprofile= \xD0\xF1\xEF\xF6\xDF\xEB(\xF2)\r\n",
                             "\r\nwlabel5A=&& \xF1\xFD\xE8\xEC\xE9\xF3\xE7\xF2\r\n"})
        EXPECT_NE(bytes.find(line), std::string::npos) << line;
    EXPECT_EQ(bytes.find("LFolderSelect"), std::string::npos);

    // Defaults lose their trailing blanks on the way in; the leading blank of Mprofile stays.
    for (UiKey key : AllKeys()) {
        const bool trimmed = key == UiKey::wlabel5 || key == UiKey::wlabel5A || key == UiKey::wlabel5B;
        const std::string builtIn = InfoOf(key).builtIn;
        EXPECT_EQ(uiText[key], trimmed ? WithoutTrailingBlanks(builtIn) : builtIn) << InfoOf(key).name;
    }
    EXPECT_EQ(uiText[UiKey::Mprofile], " Προφίλ(ς)");
    EXPECT_EQ(uiText[UiKey::wlabel5A], "&& ρύθμισης");
    EXPECT_EQ(uiText[UiKey::wlabel6], "Αναζήτηση");
    EXPECT_EQ(uiText[UiKey::wlabel7], "Αναζήτηση");
    EXPECT_EQ(uiText[UiKey::Mlang], "Επιλογή γλώσσας");
    EXPECT_EQ(platform::FindFilesBySuffix(exe(), ".dupliqa-new").size(), 0u);
}

TEST_F(LanguageFiles, LaterStartsReadTheTextsBackWithoutLeadingBlanks)
{
    UiText first;
    LoadLanguage("English", first);
    UiText second;
    LoadLanguage("English", second);
    EXPECT_EQ(second[UiKey::Mprofile], "Προφίλ(ς)");
    for (UiKey key : AllKeys())
        EXPECT_EQ(second[key], key == UiKey::Mprofile ? "Προφίλ(ς)" : first[key]) << InfoOf(key).name;
    const std::string afterSecond = ReadFileBytes(LanguageFilePath("English"));
    EXPECT_NE(afterSecond.find("\r\nMprofile=\xD0\xF1\xEF\xF6\xDF\xEB(\xF2)\r\n"), std::string::npos);

    // From then on, applying the current language again changes neither texts nor file.
    UiText third;
    LoadLanguage("English", third);
    for (UiKey key : AllKeys())
        EXPECT_EQ(third[key], second[key]) << InfoOf(key).name;
    EXPECT_EQ(ReadFileBytes(LanguageFilePath("English")), afterSecond);
}

TEST_F(LanguageFiles, AFileWithSomeKeysKeepsThemAndGainsTheMissingOnesInItsSection)
{
    const std::string path = LanguageFilePath("Greek");
    WriteFileBytes(path, Cp1253FromSystem("[Language]\r\nwlabel1=Κάθε  λεπτά\r\nMrun=\r\nBRun=Τρέξε\r\n"
                                          "[Other]\r\nMstop=elsewhere\r\n"));
    UiText uiText;
    LoadLanguage("Greek", uiText);
    EXPECT_EQ(uiText[UiKey::wlabel1], "Κάθε  λεπτά");
    EXPECT_EQ(uiText[UiKey::Mrun], "");
    EXPECT_EQ(uiText[UiKey::BRun], "Τρέξε");
    EXPECT_EQ(uiText[UiKey::Mstop], InfoOf(UiKey::Mstop).builtIn);
    EXPECT_EQ(uiText[UiKey::LFolderSelect], InfoOf(UiKey::LFolderSelect).builtIn);

    const auto lines = LinesOf(path);
    ASSERT_EQ(lines.size(), 1u + 48u + 2u);
    // The file's own lines stay first and as they were: "wlabel1" keeps its spelling, the empty value
    // stays empty, and no second "wLabel1" appears.
    EXPECT_EQ(lines[1], "wlabel1=Κάθε  λεπτά");
    EXPECT_EQ(lines[2], "Mrun=");
    EXPECT_EQ(lines[3], "BRun=Τρέξε");
    EXPECT_EQ(CountLinesStartingWith(lines, "wlabel1="), 1u);
    EXPECT_EQ(CountLinesStartingWith(lines, "Mrun="), 1u);
    EXPECT_EQ(CountLinesStartingWith(lines, "LFolderSelect"), 0u);
    // The missing keys follow in write order, before the next section.
    EXPECT_EQ(lines[4], "Error1=File cannot be copied onto itself");
    EXPECT_EQ(lines[5], "MErrorCopy=Πρόβλημα αντιγραφής αρχείου");
    EXPECT_EQ(lines[48], "Mlang=Επιλογή γλώσσας");
    EXPECT_EQ(lines[49], "[Other]");
    EXPECT_EQ(lines[50], "Mstop=elsewhere");
}

TEST_F(LanguageFiles, SpellingQuotesAndTheFolderPickerLabelAreTheFilesOwn)
{
    const std::string path = LanguageFilePath("Mixed");
    WriteFileBytes(path, Cp1253FromSystem("[LANGUAGE]\r\nLFolderSelect = \"Διάλεξε\" \r\n  ERROR1 = \" quoted \" \r\n"
                                          "mprofilelimit=Only 100\r\n"));
    UiText uiText;
    LoadLanguage("Mixed", uiText);
    EXPECT_EQ(uiText[UiKey::LFolderSelect], "Διάλεξε");
    EXPECT_EQ(uiText[UiKey::Error1], " quoted ");
    // A text added since is the file's when it has one, and the built-in one when it has none.
    EXPECT_EQ(uiText[UiKey::Mprofilelimit], "Only 100");
    EXPECT_EQ(uiText[UiKey::Mfoldersemicolon], InfoOf(UiKey::Mfoldersemicolon).builtIn);
    const auto lines = LinesOf(path);
    EXPECT_EQ(lines[0], "[LANGUAGE]");
    // The picker's label and the texts added since are never written, so their lines stay untouched.
    EXPECT_EQ(lines[1], "LFolderSelect = \"Διάλεξε\" ");
    EXPECT_EQ(lines[2], "  ERROR1 = quoted ");
    EXPECT_EQ(lines[3], "mprofilelimit=Only 100");
    EXPECT_EQ(CountLinesStartingWith(lines, "Mfoldersemicolon"), 0u);
    EXPECT_EQ(CountLinesStartingWith(lines, "[Language]"), 1u);
    EXPECT_EQ(lines.size(), 1u + 2u + 48u);
}

TEST_F(LanguageFiles, AValueOfThousandsOfBytesIsCutTo2047)
{
    const std::string path = LanguageFilePath("Long");
    WriteFileBytes(path, "[Language]\r\nError1=" + std::string(5000, '\xE1') + "\r\n");
    UiText uiText;
    LoadLanguage("Long", uiText);
    std::string alphas;
    for (int i = 0; i < 2047; ++i)
        alphas += "α";
    EXPECT_EQ(uiText[UiKey::Error1], alphas);
    EXPECT_EQ(LinesOf(path)[1], "Error1=" + alphas);
}

TEST_F(LanguageFiles, EveryByteValueSurvivesAReadAndTheWriteBack)
{
    std::string bytes = "<";
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            bytes += static_cast<char>(b);
    bytes += ">";
    const std::string path = LanguageFilePath("Bytes");
    WriteFileBytes(path, "[Language]\r\nError1=" + bytes + "\r\nMlang= \"\xAA\xD2\xFF\x81\" \r\n");
    UiText uiText;
    LoadLanguage("Bytes", uiText);
    EXPECT_EQ(uiText[UiKey::Error1], SystemFromCp1253(bytes));
    EXPECT_EQ(uiText[UiKey::Mlang], SystemFromCp1253("\xAA\xD2\xFF\x81"));
    const std::string content = ReadFileBytes(path);
    EXPECT_EQ(content.substr(0, 12 + 7 + bytes.size() + 2), "[Language]\r\nError1=" + bytes + "\r\n");
    EXPECT_NE(content.find("\r\nMlang=\xAA\xD2\xFF\x81\r\n"), std::string::npos);
}

TEST_F(LanguageFiles, AFailedWriteStopsWithTheTextsReadSoFar)
{
    WriteFileBytes(SettingsPath(), "[Language]\r\nLanguage=Greek\r\n");
    ImmutableFlag frozen(exe());
    if (!frozen.applied())
        GTEST_SKIP() << ImmutableFlagRefused;

    UiText uiText;
    for (UiKey key : AllKeys())
        uiText[key] = "previous";
    EXPECT_EQ(LoadFailure("&English", uiText), "Unable to write to " + exe() + "English.Lang");
    // The settings file already existed, so it could still be rewritten.
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[Language]\r\nLanguage=English\r\n");
    // Keys 1 to 10 were read before their first write-back failed; the rest keep their old texts.
    const auto& order = UiKeysInReadOrder();
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(uiText[order[i].key], i < 10 ? InfoOf(order[i].key).builtIn : "previous") << order[i].name;
    EXPECT_FALSE(platform::PathExists(exe() + "English.Lang"));
}

TEST_F(LanguageFiles, AnUnwritableLanguageFileStopsTheSameWayAndStaysAsItWas)
{
    const std::string path = LanguageFilePath("Fixed");
    const std::string before = "[Language]\r\nError1=Own\r\nBcreate=Not reached\r\n";
    WriteFileBytes(path, before);
    UiText uiText;
    {
        ImmutableFlag frozen(path);
        if (!frozen.applied())
            GTEST_SKIP() << ImmutableFlagRefused;
        EXPECT_EQ(LoadFailure("Fixed", uiText), "Cannot create file " + path);
    }
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(uiText[UiKey::Error1], "Own");
    EXPECT_EQ(uiText[UiKey::MconfirmDel], InfoOf(UiKey::MconfirmDel).builtIn);
    EXPECT_EQ(uiText[UiKey::Bcreate], "");
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[Language]\r\nLanguage=Fixed\r\n");
}

TEST_F(LanguageFiles, AnUnwritableSettingsFileStopsBeforeAnyTextIsRead)
{
    WriteFileBytes(SettingsPath(), "[Language]\r\nLanguage=English\r\n");
    UiText uiText;
    ImmutableFlag frozen(SettingsPath());
    if (!frozen.applied())
        GTEST_SKIP() << ImmutableFlagRefused;
    EXPECT_EQ(LoadFailure("Deutsch", uiText), "Cannot create file " + SettingsPath());
    EXPECT_EQ(uiText[UiKey::Error1], "");
    EXPECT_FALSE(platform::PathExists(LanguageFilePath("Deutsch")));
}

TEST_F(LanguageFiles, NamesWithAmpersandsSeparatorsOrNothingUseAFileInTheExeFolder)
{
    // A file whose own name holds "&" cannot be chosen under that name.
    WriteFileBytes(inExe("A&B.Lang"), "[Language]\r\nError1=from A&B\r\n");
    UiText uiText;
    LoadLanguage("A&B", uiText);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[Language]\r\nLanguage=AB\r\n");
    EXPECT_EQ(uiText[UiKey::Error1], "File cannot be copied onto itself");
    EXPECT_TRUE(platform::IsRegularFile(inExe("AB.Lang")));
    EXPECT_EQ(ReadFileBytes(inExe("A&B.Lang")), "[Language]\r\nError1=from A&B\r\n");

    LoadLanguage("", uiText);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[Language]\r\nLanguage=\r\n");
    EXPECT_TRUE(platform::IsRegularFile(inExe(".Lang")));
    EXPECT_EQ(ReadAndKeepLanguageName(), "");

    // Names that would climb out of the exe folder still use a file inside it.
    TempFolder outer;
    const std::string nested = outer / "exe/";
    MakeFolders(nested);
    SystemSeams::SetExeFolder(nested);
    for (const char* name : {"../up", "..", ".", "..\\win", "/tmp/abs"})
        LoadLanguage(name, uiText);
    std::vector<std::string> outside;
    for (const auto& entry : std::filesystem::directory_iterator(outer.path()))
        outside.push_back(entry.path().filename().string());
    EXPECT_EQ(outside, std::vector<std::string>{"exe"});
    for (const char* file : {".._up.Lang", "...Lang", "..Lang", ".._win.Lang", "_tmp_abs.Lang"})
        EXPECT_TRUE(platform::IsRegularFile(nested + file)) << file;
    EXPECT_EQ(ReadAndKeepLanguageName(), "/tmp/abs");
    EXPECT_FALSE(platform::PathExists("/tmp/abs.Lang"));
}

TEST_F(LanguageFiles, AFileListedInAnyLetterCaseIsTheOneRead)
{
    const std::string existing = platform::ExeFolder() + "Deutsch.LANG";
    WriteFileBytes(existing, "[Language]\r\nBcreate=Neu\r\n");
    EXPECT_EQ(LanguageFilePath("Deutsch"), existing);
    UiText uiText;
    LoadLanguage("Deutsch", uiText);
    EXPECT_EQ(uiText[UiKey::Bcreate], "Neu");
    EXPECT_FALSE(std::filesystem::exists(platform::ExeFolder() + "Deutsch.Lang")) << "no second file is made";
    EXPECT_EQ(LinesOf(existing).size(), 1u + 48u);
}

TEST_F(LanguageFiles, AtStartUpTheSettingsFileKeepsItsNameAndLosesOnlyAmpersands)
{
    WriteFileBytes(SettingsPath(), "[Language]\r\nLanguage=&Deutsch\r\n");
    UiText uiText;
    const std::string kept = ReadAndKeepLanguageName();
    EXPECT_EQ(kept, "&Deutsch");
    LoadStartLanguage(kept, uiText);
    EXPECT_EQ(ReadFileBytes(SettingsPath()), "[Language]\r\nLanguage=Deutsch\r\n");
    EXPECT_EQ(uiText[UiKey::Mlang], "Επιλογή γλώσσας");
    EXPECT_EQ(LinesOf(inExe("Deutsch.Lang")).size(), 1u + 48u);
}
