#include "FakeDialogs.h"
#include "FakeProfileList.h"
#include "SystemSeams.h"
#include "TempFolder.h"
#include "platform/Error.h"
#include "profiles/Profiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class ProfilesTest : public ::testing::Test {
protected:
    void SetUp() override { SystemSeams::SetExeFolder(dir.path()); }
    void Load() { LoadProfiles(table, count, list, text); }
    std::string Items() { return ReadFileBytes(dir / "Items.txt"); }

    TempFolder dir;
    ProfileSlots table;
    int32_t count = -1;
    FakeProfileList list;
    UiText text = UiText::BuiltIn();
    FakeDialogs dialogs{true};
};

} // namespace

TEST(GetField, SplitsOnSemicolonsWithoutTrimming)
{
    EXPECT_EQ(GetField("A;B;;D", 1), "A");
    EXPECT_EQ(GetField("A;B;;D", 2), "B");
    EXPECT_EQ(GetField("A;B;;D", 3), "");
    EXPECT_EQ(GetField("A;B;;D", 4), "D");
    EXPECT_EQ(GetField("A;B", 3), "");
    EXPECT_EQ(GetField("A;B", 4), "");
    EXPECT_EQ(GetField("A;B;C;D;E", 4), "D");
    EXPECT_EQ(GetField("whole line", 1), "whole line");
    EXPECT_EQ(GetField("whole line", 2), "");
    EXPECT_EQ(GetField("A;B", 0), "");
    EXPECT_EQ(GetField("A;B", -1), "");
    EXPECT_EQ(GetField(" a ; b ", 2), " b ");
    EXPECT_EQ(GetField(";x", 1), "");
    EXPECT_EQ(GetField("", 1), "");
}

TEST(SameProfileName, UpperCasesAsciiOnly)
{
    EXPECT_TRUE(SameProfileName("docs", "DOCS"));
    EXPECT_TRUE(SameProfileName("Docs 1", "dOCS 1"));
    EXPECT_FALSE(SameProfileName("έγγραφα", "ΈΓΓΡΑΦΑ"));
    EXPECT_TRUE(SameProfileName("έγγραφα", "έγγραφα"));
    EXPECT_FALSE(SameProfileName("docs", "docs "));
}

TEST_F(ProfilesTest, MissingFileIsCreatedEmptyAndCountsZero)
{
    EXPECT_EQ(LoadProfiles(table, count, list, text), 0u);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(list.captions.empty());
    EXPECT_EQ(Items(), "");
    EXPECT_EQ(list.countText, "0  Προφίλ(ς)");
}

TEST_F(ProfilesTest, LoadsEveryLineEndAndStopsAtNul)
{
    WriteFileBytes(dir / "Items.txt", std::string("Docs;/home/a;/media/b;180\r\n\nPics;/p\rMusic;/m;/n;5;extra\n\0Ghost;/g;/h;1\r\n", 67));
    Load();
    ASSERT_EQ(count, 4);
    EXPECT_EQ(list.captions, (std::vector<std::string>{"Docs", "", "Pics", "Music"}));
    EXPECT_EQ(list.images, std::vector<int>(4, 0));
    EXPECT_EQ(table[1].Source.ToText(), "/home/a");
    EXPECT_EQ(table[1].Destination.ToText(), "/media/b");
    EXPECT_EQ(table[1].Interval.ToText(), "180");
    EXPECT_TRUE(table[1].Countdown.IsText());
    EXPECT_EQ(table[1].Countdown.ToText(), "180");
    EXPECT_EQ(table[2].Name.ToText(), "");
    EXPECT_EQ(table[2].Interval.ToText(), "");
    EXPECT_EQ(table[3].Destination.ToText(), "");
    EXPECT_EQ(table[4].Interval.ToText(), "5");
    EXPECT_EQ(list.countText, "4  Προφίλ(ς)");
}

TEST_F(ProfilesTest, UnreadableFileLeavesTableEmptyAndCountTextAsItWas)
{
    MakeFolders(dir / "Items.txt"); // a folder cannot be read as the list
    try {
        Load();
        FAIL() << "loading must fail";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + (dir / "Items.txt"));
    }
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(list.captions.empty());
    EXPECT_EQ(list.countText, "unchanged");
}

TEST_F(ProfilesTest, LoadsAtMostAHundredAndDeleteKeepsTheRest)
{
    std::string content;
    for (int i = 1; i <= 103; ++i)
        content += "P" + std::to_string(i) + ";/s;/d;" + std::to_string(i) + "\n";
    content += "P50;/late;/x;1\n"; // a namesake past the table
    WriteFileBytes(dir / "Items.txt", content);
    EXPECT_EQ(LoadProfiles(table, count, list, text), 4u) << "the lines not loaded are counted";
    EXPECT_EQ(UnloadedLinesText(4),
              "4 lines of " + (dir / "Items.txt") + " after the first 100 were not loaded: their profiles do not run");
    EXPECT_EQ(count, 100);
    EXPECT_EQ(list.captions.size(), 100u);
    EXPECT_EQ(table[100].Name.ToText(), "P100");

    list.selected = "p50";
    DeleteSelectedProfile(table, count, list, text, dialogs);
    const std::string after = Items();
    EXPECT_EQ(after.find("P50;/s;/d;50\r\n"), std::string::npos);
    EXPECT_NE(after.find("P101;/s;/d;101\r\nP102;/s;/d;102\r\nP103;/s;/d;103\r\nP50;/late;/x;1\r\n"), std::string::npos);
    EXPECT_EQ(count, 100);
    EXPECT_EQ(table[100].Name.ToText(), "P101");
}

TEST_F(ProfilesTest, DeleteAsksAndRemovesTheLastMatchingLine)
{
    WriteFileBytes(dir / "Items.txt", "Docs;/a;/b;1\r\nOther;/c;/d;2\ndocs;/e;/f;3\r\nDOCS;/g;/h;4\r\nΈγγραφα;/i;/j;5\r\n");
    Load();

    list.selected.reset();
    DeleteSelectedProfile(table, count, list, text, dialogs);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Δεν έχετε επιλέξει τίποτα"});
    EXPECT_TRUE(dialogs.questions.empty());

    list.selected = "Docs";
    dialogs.answerYes = false;
    DeleteSelectedProfile(table, count, list, text, dialogs);
    EXPECT_EQ(dialogs.questions.back(), "Είστε σίγουρος ότι θέλετε να διαγράψετε το Docs ?");
    EXPECT_EQ(count, 5) << "No leaves everything";

    dialogs.answerYes = true;
    DeleteSelectedProfile(table, count, list, text, dialogs);
    EXPECT_EQ(Items(), "Docs;/a;/b;1\r\nOther;/c;/d;2\r\ndocs;/e;/f;3\r\nΈγγραφα;/i;/j;5\r\n");
    EXPECT_EQ(count, 4);

    list.selected = "έγγραφα"; // Greek letters must match exactly
    DeleteSelectedProfile(table, count, list, text, dialogs);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(Items(), "Docs;/a;/b;1\r\nOther;/c;/d;2\r\ndocs;/e;/f;3\r\nΈγγραφα;/i;/j;5\r\n");
}

TEST_F(ProfilesTest, DeleteWithoutAnyMatchRewritesTheSameLines)
{
    WriteFileBytes(dir / "Items.txt", "A;/a;/b;1\nB;/c;/d;2");
    DeleteProfileLine("C");
    EXPECT_EQ(Items(), "A;/a;/b;1\r\nB;/c;/d;2\r\n");
}

TEST_F(ProfilesTest, ReloadResetsCountdownsAndPictures)
{
    WriteFileBytes(dir / "Items.txt", "A;/a;/b;7\r\n");
    Load();
    table[1].Countdown = Variant::Double(2);
    list.images[0] = 1;
    const uint64_t generation = table.Generation();
    Load();
    EXPECT_NE(table.Generation(), generation) << "a tick walking the table must see that it was reloaded";
    EXPECT_TRUE(table[1].Countdown.IsText());
    EXPECT_EQ(table[1].Countdown.ToText(), "7");
    EXPECT_EQ(list.images[0], 0);
}

TEST_F(ProfilesTest, DeleteRefusesAProtectedFileEvenAsRoot)
{
    const std::string path = dir / "Items.txt";
    WriteFileBytes(path, "A;/a;/b;1\r\nB;/c;/d;2\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    Load();
    list.selected = "A";
    try {
        DeleteSelectedProfile(table, count, list, text, dialogs);
        FAIL() << "a file that nobody may write must not be replaced";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
    }
    EXPECT_EQ(Items(), "A;/a;/b;1\r\nB;/c;/d;2\r\n");
    EXPECT_EQ(count, 2);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
}

TEST_F(ProfilesTest, DeleteWritesThroughALinkedFile)
{
    MakeFolders(dir / "sync");
    WriteFileBytes(dir / "sync/Items.txt", "A;/a;/b;1\r\nB;/c;/d;2\r\n");
    ASSERT_EQ(::symlink("sync/Items.txt", (dir / "Items.txt").c_str()), 0);
    Load();
    list.selected = "A";
    DeleteSelectedProfile(table, count, list, text, dialogs);
    EXPECT_EQ(ReadFileBytes(dir / "sync/Items.txt"), "B;/c;/d;2\r\n");
    struct stat info {};
    ASSERT_EQ(::lstat((dir / "Items.txt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    EXPECT_EQ(count, 1);
}
