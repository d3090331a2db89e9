// Language files that the program did not write: random bytes, a value longer than a read returns, a repeated
// section, every byte value. Each gives valid UTF-8 interface texts that show without a crash, and the file
// keeps everything the program does not own.
#include "BadInputFixture.h"
#include "localisation/UiText.h"
#include "platform/Cp1253.h"

#include <QImage>
#include <QPixmap>
#include <QString>

#include <algorithm>

namespace {

bool IsSectionLine(const std::string& line)
{
    const size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line[first] == '[' && line.find(']', first) != std::string::npos;
}

// Whether line is a key line of one of the 48 keys that the program writes back (any letter case).
bool IsWrittenKeyLine(const std::string& line)
{
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    std::string key = line.substr(0, equals);
    key.erase(0, key.find_first_not_of(" \t"));
    key.erase(key.find_last_not_of(" \t") + 1);
    for (const UiKeyInfo& info : UiKeysInReadOrder())
        if (info.key != UiKey::LFolderSelect && AsciiUpper(info.name) == AsciiUpper(key))
            return true;
    return false;
}

std::vector<std::string> WithoutWrittenKeys(std::vector<std::string> lines)
{
    std::erase_if(lines, IsWrittenKeyLine);
    return lines;
}

// Every interface text is valid UTF-8, and the captions that show them hold exactly that text.
void ExpectValidTextsShown(TMain& main)
{
    for (const UiKeyInfo& info : UiKeysInReadOrder())
        EXPECT_TRUE(IsValidUtf8(main.UiText[info.key])) << info.name;
    const std::pair<QString, UiKey> shown[] = {
        { main.ToolButton8->text(), UiKey::Bcreate },
        { main.ToolButton9->text(), UiKey::bdelete },
        { main.N2->text(), UiKey::Mfile },
        { main.N15->text(), UiKey::Mlang },
        { main.mnuQuit->text(), UiKey::Bexit },
        { main.N13->text(), UiKey::VlogFile },
    };
    for (const auto& [caption, key] : shown) {
        EXPECT_EQ(caption, QString::fromUtf8(main.UiText[key])) << InfoOf(key).name;
        EXPECT_FALSE(caption.contains(QChar::ReplacementCharacter)) << InfoOf(key).name;
    }
    main.show();
    QApplication::processEvents();
    EXPECT_FALSE(main.grab().toImage().isNull()) << "the window draws its captions";
}

std::string Cp1253Line(const std::string& key, const std::string& value) { return key + "=" + value; }

// The line of key in lines, if any.
std::string LineOf(const std::vector<std::string>& lines, const std::string& key)
{
    for (const auto& line : lines)
        if (line.rfind(key + "=", 0) == 0)
            return line;
    return std::string();
}

} // namespace

// Random bytes around a [Language] section: the texts read are valid UTF-8 and show; every line outside the
// section stays byte for byte, and so does every line inside it that is not one of the program's keys;
// the 48 keys are added inside the section; the bytes from a NUL on are kept.
TEST_F(BadInputTest, LanguageFileOfRandomBytesGivesValidTextsAndKeepsItsOtherLines)
{
    for (uint32_t seed : { 11u, 12u, 13u }) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::string tail = std::string("\0", 1) + RandomBytes(seed + 3, 300, true);
        const std::string content = RandomBytes(seed, 2000) + "\r\n[Language]\r\n" + RandomBytes(seed + 1, 2000)
            + "\r\n[Other]\r\nkeep=me\r\n" + RandomBytes(seed + 2, 500) + tail;
        WriteFileBytes(exe("English.Lang"), content);

        TMain& main = Start();
        EXPECT_TRUE(ErrorBoxes().empty());
        ExpectValidTextsShown(main);

        const std::string after = ReadFileBytes(exe("English.Lang"));
        ASSERT_GE(after.size(), tail.size());
        EXPECT_EQ(after.substr(after.size() - tail.size()), tail) << "the bytes from the NUL on";
        const std::vector<std::string> linesBefore = LinesOf(content);
        const std::vector<std::string> linesAfter = LinesOf(after);
        const auto header = std::find(linesBefore.begin(), linesBefore.end(), "[Language]") - linesBefore.begin();
        ASSERT_LT(static_cast<size_t>(header), linesBefore.size());
        auto end = header + 1;
        while (static_cast<size_t>(end) < linesBefore.size() && !IsSectionLine(linesBefore[static_cast<size_t>(end)]))
            ++end;
        const size_t rest = linesBefore.size() - static_cast<size_t>(end);
        ASSERT_GE(linesAfter.size(), linesBefore.size() + 48 - 1);
        EXPECT_TRUE(std::equal(linesBefore.begin(), linesBefore.begin() + header + 1, linesAfter.begin()))
            << "the lines up to the section's header";
        EXPECT_TRUE(std::equal(linesBefore.end() - static_cast<std::ptrdiff_t>(rest), linesBefore.end(),
            linesAfter.end() - static_cast<std::ptrdiff_t>(rest)))
            << "the lines from the next section on";
        const std::vector<std::string> sectionBefore(linesBefore.begin() + header + 1, linesBefore.begin() + end);
        const std::vector<std::string> sectionAfter(
            linesAfter.begin() + header + 1, linesAfter.end() - static_cast<std::ptrdiff_t>(rest));
        EXPECT_EQ(WithoutWrittenKeys(sectionAfter), WithoutWrittenKeys(sectionBefore));
        EXPECT_EQ(std::count_if(sectionAfter.begin(), sectionAfter.end(), IsWrittenKeyLine), 48);
        window.reset();
    }
}

// A value of 5000 bytes: a read returns its first 2047 characters, so that is what UiText holds and the
// caption shows; the write-back right after the read stores those 2047, and the rest of that value is gone
// from the file. Keys that the program never writes back keep all 5000 bytes.
TEST_F(BadInputTest, LanguageValueOfFiveThousandBytesIsCutTo2047AndWrittenBackCut)
{
    std::string greek;
    for (size_t i = 0; i < 5000; ++i)
        greek += static_cast<char>(0xE1 + i % 25); // alpha to omega in Windows-1253
    const std::string ascii(5000, 'w');
    WriteFileBytes(exe("English.Lang"),
        "[Language]\r\n" + Cp1253Line("Mfile", greek) + "\r\n" + Cp1253Line("LFolderSelect", ascii) + "\r\n"
            + Cp1253Line("Custom", greek) + "\r\n");
    TMain& main = Start();
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_EQ(main.UiText[UiKey::Mfile], platform::SystemFromCp1253(greek.substr(0, 2047)));
    EXPECT_EQ(main.UiText[UiKey::LFolderSelect], ascii.substr(0, 2047));
    EXPECT_EQ(main.N2->text().size(), 2047);
    ExpectValidTextsShown(main);

    const std::vector<std::string> lines = LinesOf(ReadFileBytes(exe("English.Lang")));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], Cp1253Line("Mfile", greek.substr(0, 2047))) << "in place, cut to what was read";
    EXPECT_EQ(lines[2], Cp1253Line("LFolderSelect", ascii)) << "never written back, so kept whole";
    EXPECT_EQ(lines[3], Cp1253Line("Custom", greek)) << "not the program's key, so kept whole";
}

// The section repeated: only the first counts. Its keys are read (the first of a repeated key), the missing
// ones are added to it, and the second section stays byte for byte, unread.
TEST_F(BadInputTest, LanguageSectionRepeatedReadsTheFirstAndKeepsTheSecond)
{
    const std::string second = "[LANGUAGE]\r\nMfile=Second\r\nMView=Second view\r\n";
    WriteFileBytes(exe("English.Lang"), "[Language]\r\nMfile=First\r\nmfile=Duplicate\r\n\r\n" + second);
    TMain& main = Start();
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_EQ(main.N2->text().toStdString(), "First");
    EXPECT_EQ(main.UiText[UiKey::MView], "Προβολή") << "the second section's key is not read";

    const std::string after = ReadFileBytes(exe("English.Lang"));
    ASSERT_GE(after.size(), second.size());
    EXPECT_EQ(after.substr(after.size() - second.size()), second);
    EXPECT_EQ(after.find(second), after.size() - second.size()) << "the second section appears once, at the end";
    const std::vector<std::string> first = LinesOf(after.substr(0, after.size() - second.size()));
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first[0], "[Language]");
    EXPECT_EQ(first[1], "Mfile=First");
    EXPECT_EQ(first[2], "mfile=Duplicate") << "a repeated key is neither read nor changed";
    EXPECT_EQ(first.back(), "") << "the blank line before the second section stays before it";
    EXPECT_EQ(std::count_if(first.begin(), first.end(), IsWrittenKeyLine), 48 + 1);

    // A second start reads the same texts again.
    window.reset();
    TMain& again = Start();
    EXPECT_EQ(again.N2->text().toStdString(), "First");
    EXPECT_EQ(again.UiText[UiKey::MView], "Προβολή");
    const std::string afterSecondStart = ReadFileBytes(exe("English.Lang"));
    ASSERT_GE(afterSecondStart.size(), second.size());
    EXPECT_EQ(afterSecondStart.substr(afterSecondStart.size() - second.size()), second)
        << "the second section is still untouched";
}

// Every byte value in values (all but CR and LF, which end a line, and NUL, which ends the text, and which
// follow it): the texts are valid UTF-8, show without a crash, and the file keeps every byte.
TEST_F(BadInputTest, LanguageValuesWithEveryByteValueGiveValidUtf8AndKeepTheirBytes)
{
    std::string low;
    for (int byte = 1; byte < 0x80; ++byte)
        if (byte != '\r' && byte != '\n')
            low += static_cast<char>(byte);
    std::string high;
    for (int byte = 0x80; byte < 0x100; ++byte)
        high += static_cast<char>(byte);
    std::string all;
    for (int byte = 0; byte < 0x100; ++byte)
        all += static_cast<char>(byte);
    const std::string readable = "[Language]\r\n" + Cp1253Line("Bcreate", low) + "\r\n" + Cp1253Line("Mfile", high)
        + "\r\n" + Cp1253Line("Mlang", "x" + high + low + "x") + "\r\n";
    WriteFileBytes(exe("English.Lang"), readable + all);

    TMain& main = Start();
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_EQ(main.UiText[UiKey::Bcreate], platform::SystemFromCp1253(low));
    EXPECT_EQ(main.UiText[UiKey::Mfile], platform::SystemFromCp1253(high));
    EXPECT_EQ(QString::fromUtf8(main.UiText[UiKey::Mfile]).size(), 128) << "one character per byte";
    ExpectValidTextsShown(main);

    const std::string after = ReadFileBytes(exe("English.Lang"));
    const std::vector<std::string> lines = LinesOf(after);
    EXPECT_EQ(LineOf(lines, "Bcreate"), Cp1253Line("Bcreate", low));
    EXPECT_EQ(LineOf(lines, "Mfile"), Cp1253Line("Mfile", high));
    EXPECT_EQ(LineOf(lines, "Mlang"), Cp1253Line("Mlang", "x" + high + low + "x"));
    ASSERT_GE(after.size(), all.size());
    EXPECT_EQ(after.substr(after.size() - all.size()), all) << "the bytes from the NUL on";
}
