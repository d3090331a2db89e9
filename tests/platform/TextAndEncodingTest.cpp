#include "ImmutableFlag.h"
#include "TempFolder.h"
#include "platform/CaseFolding.h"
#include "platform/Cp1253.h"
#include "platform/Error.h"
#include "platform/Listing.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

using namespace platform;

TEST(SplitLines, EveryLineEndAndNulEndsAsTheFormatSays)
{
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\n\r"), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(SplitLines("\r\r\n"), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(SplitLines(std::string("a\nb\0c\nd", 7)), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_TRUE(SplitLines(std::string("\0abc", 4)).empty());
}

TEST(TextFile, WritesCrLfAfterEveryLineAndReadsItBack)
{
    TempFolder dir;
    const std::string path = dir / "Items.txt";
    WriteLines(path, {"a;b", "", "Ελληνικά"});
    EXPECT_EQ(ReadFileBytes(path), "a;b\r\n\r\nΕλληνικά\r\n");
    EXPECT_EQ(ReadLines(path), (std::vector<std::string>{"a;b", "", "Ελληνικά"}));
    WriteLines(path, {});
    EXPECT_EQ(ReadFileBytes(path), "");
    // No temporary file is left beside the target.
    EXPECT_EQ(FindFilesBySuffix(dir.path(), ".dupliqa-new").size(), 0u);
}

TEST(TextFile, FailuresCarryTheMessagesUsersSee)
{
    TempFolder dir;
    const std::string missing = dir / "none.txt";
    try {
        ReadLines(missing);
        FAIL() << "reading a missing file must fail";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing);
    }
    const std::string inMissingFolder = dir / "no/such/file.txt";
    try {
        WriteLines(inMissingFolder, {"x"});
        FAIL() << "writing into a missing folder must fail";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + inMissingFolder);
    }
    // A folder where a file is expected can be neither read nor replaced.
    MakeFolders(dir / "folder");
    EXPECT_THROW(ReadLines(dir / "folder"), Error);
    EXPECT_THROW(WriteLines(dir / "folder", {"x"}), Error);
    // Nor a fifo, which would be read for ever.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    EXPECT_THROW(ReadLines(dir / "fifo"), Error);
    // A disk with no room for a temporary file: the write fails and leaves the old content whole.
    TmpfsMount full(dir / "full", "4k,nr_inodes=2");
    if (!full.mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here to fill";
    const std::string items = dir / "full/Items.txt";
    WriteFileBytes(items, std::string(4000, 'a'));
    EXPECT_THROW(WriteLines(items, {std::string(6000, 'b')}), Error);
    EXPECT_TRUE(ReadFileBytes(items) == std::string(4000, 'a')) << "the old content is whole";
}

TEST(TextFile, KeepsTheModeOfTheFileItReplaces)
{
    TempFolder dir;
    const std::string path = dir / "Items.txt";
    WriteFileBytes(path, "old\r\n");
    ::chmod(path.c_str(), 0600);
    WriteLines(path, {"new"});
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(Cp1253, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = SystemFromCp1253(all);
    EXPECT_EQ(Cp1253FromSystem(utf8), all);
    EXPECT_EQ(SystemFromCp1253("\xC1\xE8\xE7\xED\xDC"), "Αθηνά");
    EXPECT_EQ(Cp1253FromSystem("Προφίλ(ς)"), "\xD0\xF1\xEF\xF6\xDF\xEB(\xF2)");
    EXPECT_EQ(Cp1253FromSystem("€"), "\x80");
}

TEST(Cp1253, UnrepresentableTextBecomesQuestionMarks)
{
    EXPECT_EQ(Cp1253FromSystem("Ж"), "?");         // Cyrillic has no place in Windows-1253
    EXPECT_EQ(Cp1253FromSystem("a\xFF" "b"), "a?b"); // not UTF-8 at all
    EXPECT_EQ(Cp1253FromSystem("\xCE"), "?");        // a sequence cut short
}

TEST(Listing, MatchesNamesIgnoringAsciiCaseAndSkipsFolders)
{
    TempFolder dir;
    WriteFileBytes(dir / "English.lang", "");
    WriteFileBytes(dir / "greek.LANG", "");
    WriteFileBytes(dir / ".hidden.Lang", "");
    WriteFileBytes(dir / "notes.txt", "");
    MakeFolders(dir / "folder.lang");
    auto names = FindFilesBySuffix(dir.path(), ".lang");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.Lang", "English.lang", "greek.LANG"}));
    EXPECT_TRUE(FindFilesBySuffix(dir / "missing", ".lang").empty());

    EXPECT_FALSE(FindFileCaseBlind(dir.path(), "error.log"));
    MakeFolders(dir / "ERROR.LOG");
    EXPECT_FALSE(FindFileCaseBlind(dir.path(), "error.log")) << "a folder of that name does not count";
    WriteFileBytes(dir / "eRRor.Log", "");
    EXPECT_EQ(FindFileCaseBlind(dir.path(), "Error.log"), "eRRor.Log");
}

// Every length up to past two words, so each byte's place in a word and in the tail is tried with the letters'
// bounds and the bytes that differ from them by the case bit only.
TEST(Listing, NamesHashAlikeExactlyWhenEqualIgnoringAsciiCase)
{
    const std::string bytes = "aZ@`[{zA\x7f\xff\xc1\xe1m_~^";
    for (size_t length = 0; length <= 19; ++length)
        for (size_t start = 0; start < bytes.size(); ++start) {
            std::string name;
            for (size_t i = 0; i < length; ++i)
                name += bytes[(start + i) % bytes.size()];
            EXPECT_EQ(HashIgnoringAsciiCase(name), HashIgnoringAsciiCase(AsciiUpper(name))) << name;
            for (size_t i = 0; i < length; ++i) {
                std::string other = name;
                other[i] = static_cast<char>(other[i] ^ 0x20);
                EXPECT_EQ(HashIgnoringAsciiCase(name) == HashIgnoringAsciiCase(other), EqualIgnoringAsciiCase(name, other))
                    << name << " against " << other;
            }
        }
}

// As exFAT sees names: capitals beyond ASCII too, bytes that are no UTF-8 (a lone lead, a longer form than
// needed, a surrogate) kept as they are, and an ASCII name hashed as the ASCII-only hash does.
TEST(CaseFolding, LettersBeyondAsciiFoldAndBytesThatAreNoUtf8Stay)
{
    EXPECT_EQ(CaseFolded("Έγγραφο é.txt"), "ΈΓΓΡΑΦΟ É.TXT");
    for (const auto& [a, b] : {std::pair{"Έγγραφο.txt", "έγγραφο.TXT"}, std::pair{"ωμέγα", "ΩΜΈΓΑ"}}) {
        EXPECT_TRUE(EqualIgnoringCase(a, b)) << a;
        EXPECT_EQ(HashIgnoringCase(a), HashIgnoringCase(b)) << a;
    }
    EXPECT_EQ(CaseFolded("a\xff" "b"), "A\xff" "B");
    EXPECT_EQ(CaseFolded("\xc3"), "\xc3");
    EXPECT_EQ(CaseFolded("\xc0\xa1"), "\xc0\xa1");
    EXPECT_EQ(CaseFolded("\xed\xa0\x80"), "\xed\xa0\x80");
    EXPECT_EQ(CaseFolded("\xc3\xa9\xc3"), "\xc3\x89\xc3");
    EXPECT_FALSE(EqualIgnoringCase("é", "e"));
    EXPECT_EQ(HashIgnoringCase("Readme.TXT"), HashIgnoringAsciiCase("Readme.TXT"));
}

TEST(StandardErrorText, AddsAFullStopOnlyAfterBytesAboveIt)
{
    EXPECT_EQ(StandardErrorText("Unable to write to /x/Dupliqa.ini"), "Unable to write to /x/Dupliqa.ini.");
    EXPECT_EQ(StandardErrorText("Done."), "Done.");
    EXPECT_EQ(StandardErrorText("What?"), "What?.");   // "?" is above "."
    EXPECT_EQ(StandardErrorText("(a)"), "(a)");         // ")" is below "."
    EXPECT_EQ(StandardErrorText("-"), "-");
    EXPECT_EQ(StandardErrorText(""), "");
    EXPECT_EQ(StandardErrorText("Λάθος"), "Λάθος.");    // UTF-8 bytes count as above
}
