// Items.txt that is not what the program writes: random bytes, one huge line, more lines than the table holds.
// Each loads without a crash or an error box, lists what it can, and a Delete keeps every other line.
#include "BadInputFixture.h"

#include <QString>

#include <algorithm>
#include <optional>

namespace {

// The file as a Delete of name leaves it: the last of the loaded lines (the first 100) whose name matches
// ignoring ASCII case is gone, every other line stays as it was and ends in CR LF.
std::string AfterDelete(const std::vector<std::string>& lines, const std::string& name)
{
    std::vector<std::string> kept = lines;
    std::optional<size_t> doomed;
    for (size_t i = 0; i < lines.size() && i < 100; ++i)
        if (AsciiUpper(FirstField(lines[i])) == AsciiUpper(name))
            doomed = i;
    if (doomed)
        kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(*doomed));
    return WithCrLf(kept);
}

void ExpectListed(TMain& main, const std::vector<std::string>& lines)
{
    const auto loaded = static_cast<int>(std::min<size_t>(lines.size(), 100));
    ASSERT_EQ(main.ProfileCount, loaded);
    ASSERT_EQ(main.ListView1->count(), loaded);
    for (int n = 1; n <= loaded; ++n) {
        const std::string& line = lines[static_cast<size_t>(n - 1)];
        const std::string name = FirstField(line);
        EXPECT_EQ(main.ProfileTable[n].Name.ToText(), name) << "profile " << n << " keeps its name's bytes";
        if (IsValidUtf8(name)) {
            EXPECT_EQ(main.ListView1->item(n - 1)->text(), QString::fromUtf8(name)) << "item " << n - 1;
        }
    }
}

} // namespace

// Random bytes with one plain profile among them: every line is a profile, and deleting the plain one
// leaves every other byte where it was; only line ends become CR LF.
TEST_F(BadInputTest, ItemsOfRandomBytesLoadAndADeleteKeepsEveryOtherLine)
{
    for (uint32_t seed : { 1u, 2u, 3u }) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string content
            = RandomBytes(seed, 3000) + "\r\nPlain;/src;/dst;60\r\n" + RandomBytes(seed + 100, 1000);
        WriteFileBytes(exe("Items.txt"), content);
        const std::vector<std::string> lines = LinesOf(content);
        ASSERT_LT(lines.size(), 100u) << "the seed makes a file the table holds whole";

        TMain& main = Start();
        EXPECT_TRUE(ErrorBoxes().empty());
        ExpectListed(main, lines);

        const auto plain = std::find(lines.begin(), lines.end(), "Plain;/src;/dst;60");
        ASSERT_NE(plain, lines.end());
        DeleteRow(static_cast<int>(plain - lines.begin()));
        EXPECT_EQ(TestSeams::BoxHistory().back().text, "Είστε σίγουρος ότι θέλετε να διαγράψετε το Plain ?");
        EXPECT_EQ(ReadFileBytes(exe("Items.txt")), AfterDelete(lines, "Plain"));
        EXPECT_EQ(main.ProfileCount, static_cast<int>(lines.size()) - 1);
        EXPECT_TRUE(ErrorBoxes().empty());
        window.reset();
        TestSeams::ClearBoxHistory();
    }
}

// A name that is not UTF-8 (Latin-1 "Café" and two bytes UTF-8 never holds) is listed and must be deletable like any
// other: the file holds bytes, and the selected item stands for its line whatever its caption's encoding.
TEST_F(BadInputTest, AProfileWhoseNameIsNotUtf8CanBeDeleted)
{
    const std::string name = "Caf\xe9 \xff\xfe";
    const std::string content = name + ";/a;/b;1\r\nOther;/c;/d;2\r\n";
    WriteFileBytes(exe("Items.txt"), content);
    TMain& main = Start();
    ASSERT_EQ(main.ListView1->count(), 2);
    DeleteRow(0);
    EXPECT_EQ(ReadFileBytes(exe("Items.txt")), "Other;/c;/d;2\r\n") << "the selected profile's line is gone";
    EXPECT_EQ(main.ProfileCount, 1);
}

// A NUL ends the text of Items.txt: the lines before it are the profiles, and a rewrite keeps the bytes from
// the NUL on as they were. Nothing is lost.
TEST_F(BadInputTest, ItemsWithANulLoadTheLinesBeforeItAndADeleteKeepsTheRest)
{
    const std::string before = "A;/a;/b;1\r\nB;/c;/d;2\nC;/e;/f;3";
    const std::string rest = std::string("\0", 1) + "Hidden;/g;/h;4\r\n" + RandomBytes(9, 200, true);
    WriteFileBytes(exe("Items.txt"), before + rest);
    TMain& main = Start();
    ExpectListed(main, LinesOf(before));
    DeleteRow(1);
    EXPECT_TRUE(ReadFileBytes(exe("Items.txt")) == "A;/a;/b;1\r\nC;/e;/f;3\r\n" + rest);
}

// One line of 10 MiB, most of it the name: one profile, loaded, shown and deleted. Any step that
// took time growing with the square of the line's length would not end before the test's timeout.
TEST_F(BadInputTest, ItemsOfOneTenMebibyteLineLoadAsOneProfile)
{
    const std::string tail = ";/src;/dst;60";
    const std::string line = std::string(10 * 1024 * 1024 - tail.size(), 'N') + tail;
    WriteFileBytes(exe("Items.txt"), line);

    TMain& main = Start();
    main.show();
    QApplication::processEvents();
    EXPECT_TRUE(ErrorBoxes().empty());
    ASSERT_EQ(main.ProfileCount, 1);
    EXPECT_EQ(main.ProfileTable[1].Name.ToText().size(), line.size() - tail.size());
    EXPECT_EQ(main.ProfileTable[1].Interval.ToText(), "60");
    EXPECT_EQ(ReadFileBytes(exe("Items.txt")), line) << "loading writes nothing";

    DeleteRow(0);
    EXPECT_EQ(ReadFileBytes(exe("Items.txt")), "");
    EXPECT_EQ(main.ProfileCount, 0);
}

// 1000 lines: the first 100 are loaded; a Delete among them removes that line only, and the 900 lines beyond
// the table, a duplicate of the deleted name among them, stay byte for byte.
TEST_F(BadInputTest, ItemsOfAThousandLinesLoadAHundredAndKeepTheRestThroughADelete)
{
    std::vector<std::string> lines;
    for (int i = 1; i <= 1000; ++i)
        lines.push_back("P" + std::to_string(i) + ";/src/" + std::to_string(i) + ";/dst;" + std::to_string(i));
    lines[499] = "p50;/the same name, beyond the table;/dst;1";
    lines[700] = "\t odd \xc1\xe2\xff;;;;;extra;fields ";
    lines[998] = "";
    const std::string content = WithCrLf(lines);
    WriteFileBytes(exe("Items.txt"), content);

    TMain& main = Start();
    EXPECT_TRUE(ErrorBoxes().empty());
    ExpectListed(main, lines);
    EXPECT_EQ(main.ListView1->item(99)->text().toStdString(), "P100");

    DeleteRow(49);
    std::vector<std::string> expected = lines;
    expected.erase(expected.begin() + 49);
    EXPECT_EQ(ReadFileBytes(exe("Items.txt")), WithCrLf(expected));
    EXPECT_EQ(main.ProfileCount, 100) << "line 101 moves up into the table";
    EXPECT_EQ(main.ListView1->item(99)->text().toStdString(), "P101");
}
