#include "localisation/IniText.h"

#include <gtest/gtest.h>

namespace {

std::string Value(std::string_view content, const std::string& key, const std::string& fallback = "<default>")
{
    return IniValueIn(content, "Language", key, fallback);
}

std::string Written(std::string_view content, const std::string& key, const std::string& value)
{
    return IniContentWithValue(content, "Language", key, value);
}

// Every byte but NUL, CR and LF, between guards so that no blank or quote sits at either end.
std::string AllLineBytes()
{
    std::string bytes = "<";
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            bytes += static_cast<char>(b);
    return bytes + ">";
}

} // namespace

TEST(IniRead, NamesMatchIgnoringAsciiCaseAndBlanksAroundKeyAndValueAreDropped)
{
    const std::string content = "[lAnGuAgE]\r\n  Error1  =  some  text  \r\nMRUN=x\r\n\tTab\t=\tv\t\r\nk\xE1=greek\r\n";
    EXPECT_EQ(Value(content, "error1"), "some  text");
    EXPECT_EQ(Value(content, "Mrun"), "x");
    EXPECT_EQ(Value(content, "tab"), "v");
    EXPECT_EQ(IniValueIn(content, "LANGUAGE", "ERROR1", ""), "some  text");
    // Only ASCII letters fold: Windows-1253 alpha (0xE1) and capital alpha (0xC1) are different keys.
    EXPECT_EQ(Value(content, "k\xE1"), "greek");
    EXPECT_EQ(Value(content, "k\xC1"), "<default>");
    // The first "=" ends the key; later ones belong to the value.
    EXPECT_EQ(Value("[Language]\r\na = b = c\r\n", "a"), "b = c");
}

TEST(IniRead, AValueInAMatchingPairOfQuotesLosesThem)
{
    EXPECT_EQ(Value("[Language]\r\nk=\"a b\"\r\n", "k"), "a b");
    EXPECT_EQ(Value("[Language]\r\nk='a b'\r\n", "k"), "a b");
    EXPECT_EQ(Value("[Language]\r\nk=  \" padded \"  \r\n", "k"), " padded ");
    EXPECT_EQ(Value("[Language]\r\nk=\"\"\r\n", "k"), "");
    EXPECT_EQ(Value("[Language]\r\nk=\"a\"b\"\r\n", "k"), "a\"b");
    // Unmatched or lone quotes stay.
    EXPECT_EQ(Value("[Language]\r\nk=\"a'\r\n", "k"), "\"a'");
    EXPECT_EQ(Value("[Language]\r\nk=\"\r\n", "k"), "\"");
    EXPECT_EQ(Value("[Language]\r\nk=\"a\r\n", "k"), "\"a");
    EXPECT_EQ(Value("[Language]\r\nk=a\"\r\n", "k"), "a\"");
}

TEST(IniRead, MissingFileSectionOrKeyGivesTheDefaultWithoutTrailingBlanks)
{
    const std::string fallback = "  leading kept, trailing dropped \t ";
    const std::string expected = "  leading kept, trailing dropped";
    EXPECT_EQ(Value("", "k", fallback), expected);
    EXPECT_EQ(Value("[Other]\r\nk=1\r\n", "k", fallback), expected);
    EXPECT_EQ(Value("[Language]\r\nother=1\r\n", "k", fallback), expected);
    EXPECT_EQ(Value("[Language]\r\nk=1\r\n", "k", "   "), "1");
    EXPECT_EQ(Value("", "k", "   "), "");
    // A key with an empty (or blank) value is present: its value is empty, not the default.
    EXPECT_EQ(Value("[Language]\r\nk=\r\n", "k", fallback), "");
    EXPECT_EQ(Value("[Language]\r\nk=   \r\n", "k", fallback), "");
    // A line without "=" holds no key.
    EXPECT_EQ(Value("[Language]\r\nk\r\n", "k", fallback), expected);
}

TEST(IniRead, AtMost2047BytesOfAValueOrDefault)
{
    const std::string longText(5000, 'x');
    EXPECT_EQ(Value("[Language]\r\nk=" + longText + "\r\n", "k"), std::string(2047, 'x'));
    // Quotes are dropped before the value is cut.
    EXPECT_EQ(Value("[Language]\r\nk=\"" + std::string(3000, 'q') + "\"\r\n", "k"), std::string(2047, 'q'));
    EXPECT_EQ(Value("[Language]\r\nk=" + std::string(2047, 'y') + "\r\n", "k"), std::string(2047, 'y'));
    EXPECT_EQ(Value("", "k", longText), std::string(2047, 'x'));
}

TEST(IniRead, LinesEndAtCrLfCrOrLfAndTheTextEndsAtANul)
{
    const std::string mixed = "[Language]\rA=1\nB=2\r\nC=3";
    EXPECT_EQ(Value(mixed, "A"), "1");
    EXPECT_EQ(Value(mixed, "B"), "2");
    EXPECT_EQ(Value(mixed, "C"), "3");
    const std::string withNul("[Language]\r\nA=x\0y\r\nB=2\r\n", 24);
    EXPECT_EQ(Value(withNul, "A"), "x");
    EXPECT_EQ(Value(withNul, "B"), "<default>");
}

TEST(IniRead, OnlyTheFirstSectionAndTheFirstKeyOfANameCount)
{
    const std::string content = "[Language]\r\nA=1\r\nA=2\r\n[Other]\r\nB=3\r\n[language]\r\nB=4\r\nC=5\r\n";
    EXPECT_EQ(Value(content, "A"), "1");
    EXPECT_EQ(Value(content, "B"), "<default>");
    EXPECT_EQ(Value(content, "C"), "<default>");
    EXPECT_EQ(IniValueIn(content, "Other", "B", ""), "3");
}

TEST(IniRead, OnlyLinesInsideASectionHoldKeys)
{
    EXPECT_EQ(Value("A=0\r\n[Language]\r\n", "A"), "<default>");
    // No "]": not a section line.
    EXPECT_EQ(Value("[Language\r\nA=1\r\n", "A"), "<default>");
    // Blanks around the brackets and text after the last "]" do not matter; blanks inside do.
    EXPECT_EQ(Value("  [Language]  ; note\r\nA=1\r\n", "A"), "1");
    EXPECT_EQ(Value("[ Language ]\r\nA=1\r\n", "A"), "<default>");
    // A section line ends the section before it.
    EXPECT_EQ(Value("[Language]\r\n[Next]\r\nA=1\r\n", "A"), "<default>");
    // Comments and blank lines are skipped over.
    EXPECT_EQ(Value("[Language]\r\n; A=0\r\n\r\n   \r\nA=1\r\n", "A"), "1");
}

TEST(IniWrite, CreatesTheFileContentAndAMissingSectionAtTheEnd)
{
    EXPECT_EQ(IniContentWithValue("", "Language", "Language", "English"), "[Language]\r\nLanguage=English\r\n");
    EXPECT_EQ(Written("[Other]\r\nx=1\r\n", "k", "v"), "[Other]\r\nx=1\r\n[Language]\r\nk=v\r\n");
    EXPECT_EQ(Written("[Other]\nx=1", "k", "v"), "[Other]\r\nx=1\r\n[Language]\r\nk=v\r\n");
    // The key is spelled as the writer passes it; the value is written as given, blanks and all.
    EXPECT_EQ(Written("", "wLabel1", " two  blanks "), "[Language]\r\nwLabel1= two  blanks \r\n");
}

TEST(IniWrite, ReplacesAValueInPlaceKeepingTheLineAndTheFilesSpelling)
{
    EXPECT_EQ(Written("[Language]\r\nwlabel1=old\r\nZ=z\r\n", "wLabel1", "new"), "[Language]\r\nwlabel1=new\r\nZ=z\r\n");
    EXPECT_EQ(Written("[LANGUAGE]\r\n  Key = old value \r\n", "key", "new"), "[LANGUAGE]\r\n  Key =new\r\n");
    EXPECT_EQ(Written("[Language]\r\nk=old\r\n", "k", ""), "[Language]\r\nk=\r\n");
    EXPECT_EQ(Written("[Language]\r\nk=\r\n", "k", ""), "[Language]\r\nk=\r\n");
    // Only the first of repeated keys is changed, the one a read returns.
    EXPECT_EQ(Written("[Language]\r\nk=1\r\nk=2\r\n", "k", "3"), "[Language]\r\nk=3\r\nk=2\r\n");
    // A key of the same name in another section is another key.
    EXPECT_EQ(Written("[Other]\r\nk=1\r\n[Language]\r\n", "k", "2"), "[Other]\r\nk=1\r\n[Language]\r\nk=2\r\n");
}

TEST(IniWrite, AddsAMissingKeyAfterTheLastLineOfItsSection)
{
    EXPECT_EQ(Written("[Language]\r\nA=1\r\n\r\n[Other]\r\nB=2\r\n", "C", "3"),
              "[Language]\r\nA=1\r\nC=3\r\n\r\n[Other]\r\nB=2\r\n");
    EXPECT_EQ(Written("[Language]\r\n[Other]\r\n", "C", "3"), "[Language]\r\nC=3\r\n[Other]\r\n");
    EXPECT_EQ(Written("[Language]\r\nA=1\r\n; note\r\n  \r\n", "C", "3"), "[Language]\r\nA=1\r\n; note\r\nC=3\r\n  \r\n");
    // A repeated section gets nothing: the key goes to the first, where reads look.
    const std::string repeated = "[Language]\r\nA=1\r\n[Other]\r\n[Language]\r\nC=old\r\n";
    const std::string after = Written(repeated, "C", "new");
    EXPECT_EQ(after, "[Language]\r\nA=1\r\nC=new\r\n[Other]\r\n[Language]\r\nC=old\r\n");
    EXPECT_EQ(Value(after, "C"), "new");
}

TEST(IniWrite, EveryLineEndsInCrLfAndBytesFromANulOnAreKept)
{
    EXPECT_EQ(Written("[Language]\nA=1\rB=2", "A", "9"), "[Language]\r\nA=9\r\nB=2\r\n");
    const std::string withNul("[Language]\r\nA=1\r\n\0rest\n", 23);
    EXPECT_EQ(Written(withNul, "B", "2"), std::string("[Language]\r\nA=1\r\nB=2\r\n\0rest\n", 28));
    // A section added to such a file lands where reads still find it.
    const std::string onlyTail("\0[Language]\r\nB=1\r\n", 18);
    const std::string after = Written(onlyTail, "B", "2");
    EXPECT_EQ(after, "[Language]\r\nB=2\r\n" + onlyTail);
    EXPECT_EQ(Value(after, "B"), "2");
}

TEST(IniWrite, AValueCannotAddLinesOrSections)
{
    const std::string after = Written("[Language]\r\n", "k", "a\r\n[Evil]\r\nx=1");
    EXPECT_EQ(after, "[Language]\r\nk=a\r\n");
    EXPECT_EQ(IniValueIn(after, "Evil", "x", "none"), "none");
    EXPECT_EQ(Written("", "k", "b\nc"), "[Language]\r\nk=b\r\n");
    EXPECT_EQ(Written("", "k", "d\re"), "[Language]\r\nk=d\r\n");
    EXPECT_EQ(Written("", "k", std::string("f\0g", 3)), "[Language]\r\nk=f\r\n");
}

TEST(IniRoundTrip, EveryByteValueOfALineSurvivesAWriteAndARead)
{
    const std::string bytes = AllLineBytes();
    const std::string content = Written("", "k", bytes);
    EXPECT_EQ(content, "[Language]\r\nk=" + bytes + "\r\n");
    EXPECT_EQ(Value(content, "k"), bytes);
    // Writing back what was read leaves the content as it was.
    EXPECT_EQ(Written(content, "k", Value(content, "k")), content);
    // A value that has blanks at its ends is written whole but read back without them.
    EXPECT_EQ(Value(Written("", "k", "  x y\t"), "k"), "x y");
}
