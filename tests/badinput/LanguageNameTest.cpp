// A settings file whose language name reaches for another folder ("/", "\", ".", ".."): the language file read
// and written is always one inside the exe folder, so the files beside the exe folder (a sibling folder holding
// "evil.Lang", and "evil.Lang" in the folder above) are never read into the texts, changed, or joined by new
// files. The fixture checks after every test that nothing outside the exe folder changed.
#include "BadInputFixture.h"

#include <QString>

#include <set>

namespace {

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

TEST_F(BadInputTest, LanguageNamesWithPathsReadAndWriteOnlyInsideTheExeFolder)
{
    const std::string upToRoot = "../../../../../../../../../../../../../../../../";
    const std::vector<std::string> names = {
        "../sibling/evil",
        "../evil",
        "..",
        ".",
        dir / "sibling/evil",
        upToRoot + dir.path() + "sibling/evil",
        "..\\sibling\\evil",
        "sub/../../evil",
        "&.&./sibl&ing/evil",
        "../sibling/new",
        "/",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE("language " + name);
        std::filesystem::remove_all(exe(""));
        MakeFolders(exe(""));
        const std::string settings = "[Language]\r\nLanguage=" + name + "\r\n";
        WriteFileBytes(exe("Dupliqa.ini"), settings);

        TMain& main = Start();
        EXPECT_TRUE(ErrorBoxes().empty());
        EXPECT_EQ(main.ToolButton8->text().toStdString(), "Δημιουργία") << "the built-in text, not the other folder's";
        std::string kept = name;
        std::erase(kept, '&');
        EXPECT_EQ(ReadFileBytes(exe("Dupliqa.ini")), "[Language]\r\nLanguage=" + kept + "\r\n")
            << "the name itself is kept, without its ampersands";
        EXPECT_EQ(Outside(), outsideBefore);

        // The texts come from one file inside the exe folder, made at this start and read at the next.
        std::set<std::string> made = FilesIn(exe(""));
        made.erase("Dupliqa.ini");
        made.erase("Items.txt");
        ASSERT_EQ(made.size(), 1u);
        const std::string languageFile = exe(*made.begin());
        EXPECT_EQ(languageFile.substr(languageFile.size() - 5), ".Lang");
        const std::string written = ReadFileBytes(languageFile);
        WriteFileBytes(languageFile, "[Language]\r\nBcreate=Inside\r\n" + written.substr(written.find("\r\n") + 2));
        window.reset();
        TMain& again = Start();
        EXPECT_EQ(again.ToolButton8->text().toStdString(), "Inside");
        EXPECT_EQ(Outside(), outsideBefore);
        window.reset();
    }
}

// A name too long for a file name: the language file cannot be written, which is reported once in the standard
// error box; the profiles still load (as when the settings cannot be written), and Items.txt and everything
// outside the exe folder stay as they were.
TEST_F(BadInputTest, LanguageNameTooLongForAFileIsReportedAndLosesNothing)
{
    const std::string name(300, 'a');
    WriteFileBytes(exe("Dupliqa.ini"), "[Language]\r\nLanguage=" + name + "\r\n");
    WriteFileBytes(exe("Items.txt"), "A;/a;/b;1\r\n");
    TMain& main = Start();
    EXPECT_EQ(ErrorBoxes(), std::vector<std::string> { "Unable to write to " + exe(name + ".Lang") + "." });
    EXPECT_EQ(main.ProfileCount, 1);
    EXPECT_EQ(ReadFileBytes(exe("Items.txt")), "A;/a;/b;1\r\n");
    EXPECT_EQ(FilesIn(exe("")), (std::set<std::string> { "Dupliqa.ini", "Items.txt" }));
}
