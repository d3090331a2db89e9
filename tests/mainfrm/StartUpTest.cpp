#include "ImmutableFlag.h"
#include "MainWindowFixture.h"
#include "platform/Cp1253.h"

#include <QPainter>
#include <QProgressBar>

#include <algorithm>
#include <array>
#include <cstdlib>

TEST_F(MainWindowTest, FirstStartCreatesSettingsAndLanguageAndShowsBuiltInTexts)
{
    TMain& main = Start();
    EXPECT_EQ(ReadFileBytes(dir / "Dupliqa.ini"), "[Language]\r\nLanguage=English\r\n");
    const std::string language = ReadFileBytes(dir / "English.Lang");
    EXPECT_EQ(language.rfind("[Language]\r\nError1=File cannot be copied onto itself\r\n", 0), 0u);
    EXPECT_NE(language.find(platform::Cp1253FromSystem("Mrun=Εκτέλεση\r\n")), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "Items.txt"), "");

    EXPECT_EQ(Text(main.ToolButton8), "Δημιουργία");
    EXPECT_EQ(Text(main.ToolButton12), "Εκτέλεση");
    EXPECT_EQ(Text(main.N15), "Επιλογή γλώσσας");
    EXPECT_EQ(Text(main.mnuQuit), "Έξοδος");
    EXPECT_EQ(Text(main.N6), "Διαγραφή");
    EXPECT_EQ(Text(main.StatusBar1[0]), "0  Προφίλ(ς)") << "the built-in text keeps its own leading blank";
    EXPECT_EQ(main.LanguageName, "English");
    EXPECT_EQ(main.RunButtonImage(), 3);
    EXPECT_TRUE(ErrorBoxes().empty());

    // The first start wrote the language file, so it is found the next time; the value read back
    // from the file has lost its leading blank.
    window.reset();
    TMain& again = Start();
    EXPECT_EQ(Text(again.StatusBar1[0]), "0 Προφίλ(ς)");
    EXPECT_EQ(again.LanguageFileCount, 1);
    EXPECT_TRUE(again.LanguageItems[0]->isVisible());
    EXPECT_EQ(Text(again.LanguageItems[0]), "English");
}

TEST_F(MainWindowTest, OnlyTheFirstEightLanguageFilesGetMenuItems)
{
    for (const char* name : {"a.lang", "b.LANG", "c.Lang", "d.lAnG", "e.lang", "f.lang", "g.lang", "h.lang", "i.lang"})
        WriteFileBytes(dir / name, "[Language]\r\n");
    MakeFolders(dir / "folder.lang");
    TMain& main = Start();
    EXPECT_EQ(main.LanguageFileCount, 9) << "English.Lang is made after the search";
    int visible = 0;
    for (QAction* item : main.LanguageItems) {
        if (!item->isVisible())
            continue;
        ++visible;
        const std::string caption = Text(item);
        EXPECT_EQ(caption.size(), 1u) << caption;
    }
    EXPECT_EQ(visible, 8);
}

TEST_F(MainWindowTest, NoLanguageFileLeavesTheLanguageMenuEmpty)
{
    TMain& main = Start();
    for (QAction* item : main.LanguageItems)
        EXPECT_FALSE(item->isVisible());
}

TEST_F(MainWindowTest, ProfilesFromItemsFileFillTheList)
{
    WriteFileBytes(dir / "Items.txt", "Docs;/a;/b;180\r\n\r\nΈγγραφα;/c;/d;5\r\n");
    TMain& main = Start();
    ASSERT_EQ(main.ListView1->count(), 3);
    EXPECT_EQ(main.ListView1->item(0)->text().toStdString(), "Docs");
    EXPECT_EQ(main.ListView1->item(1)->text().toStdString(), "");
    EXPECT_EQ(main.ListView1->item(2)->text().toStdString(), "Έγγραφα");
    EXPECT_EQ(main.ProfileCount, 3);
    EXPECT_EQ(main.ItemImage(2), 0);
    EXPECT_EQ(Text(main.StatusBar1[0]), "3  Προφίλ(ς)");
    EXPECT_FALSE(main.ListView1->item(0)->flags() & Qt::ItemIsEditable) << "renamed through Settings only";
}

TEST_F(MainWindowTest, LinesPastTheTableAreCountedInOneLogLineWithoutABox)
{
    std::string lines;
    for (int n = 1; n <= 103; ++n)
        lines += "P" + std::to_string(n) + ";/s;/d;60\r\n";
    WriteFileBytes(dir / "Items.txt", lines);
    TMain& main = Start();
    EXPECT_EQ(main.ProfileCount, 100);
    const std::string log = ReadFileBytes(dir / "Error.log");
    EXPECT_NE(log.find(" 3 lines of " + (dir / "Items.txt") + " after the first 100 were not loaded"), std::string::npos)
        << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << "one line";
    EXPECT_TRUE(MessageBoxes::History().empty());

    window.reset();
    WriteFileBytes(dir / "Items.txt", "Docs;/a;/b;180\r\n");
    Start();
    EXPECT_EQ(ReadFileBytes(dir / "Error.log"), log) << "a file the table holds whole logs nothing";
}

TEST_F(MainWindowTest, ViewStylesCheckOnlyTheirOwnItem)
{
    WriteFileBytes(dir / "Items.txt", "Docs;/a;/b;180\r\n" + std::string(156, 'N') + ";/c;/d;5\r\n");
    TMain& main = Start();
    for (QAction* item : {main.LargeIcons1, main.SmallIcons1, main.List1, main.Details1})
        EXPECT_FALSE(item->isChecked()) << "no check mark at start";
    main.List1->trigger();
    EXPECT_TRUE(main.List1->isChecked());
    EXPECT_FALSE(main.LargeIcons1->isChecked());
    main.Details1->trigger();
    EXPECT_TRUE(main.Details1->isChecked());
    EXPECT_FALSE(main.List1->isChecked());
    main.LargeIcons1->trigger();
    EXPECT_EQ(main.ListView1->viewMode(), QListView::IconMode);
    EXPECT_TRUE(main.LargeIcons1->isChecked());
    EXPECT_FALSE(main.Details1->isChecked());
    // A long name is cut short under its icon, so its item sits in the grid beside the others.
    main.show();
    QApplication::processEvents();
    EXPECT_EQ(main.ListView1->visualItemRect(main.ListView1->item(1)).top(),
              main.ListView1->visualItemRect(main.ListView1->item(0)).top());
}

TEST_F(MainWindowTest, LanguageSwitchRelabelsMenusButNotTheTooltip)
{
    WriteFileBytes(dir / "Deutsch.lang",
                   "[Language]\r\nBcreate=Neu\r\nBexit=Beenden\r\nVlogFile=Fehlerprotokoll\r\nMInfo=Info\r\n");
    TMain& main = Start();
    QAction* deutsch = nullptr;
    for (QAction* item : main.LanguageItems)
        if (item->isVisible() && Text(item) == "Deutsch")
            deutsch = item;
    ASSERT_NE(deutsch, nullptr);
    deutsch->trigger();
    EXPECT_EQ(Text(main.ToolButton8), "Neu");
    EXPECT_EQ(Text(main.N8), "Beenden");
    EXPECT_EQ(Text(main.mnuQuit), "Beenden");
    EXPECT_EQ(Text(main.N16), "Fehlerprotokoll");
    EXPECT_EQ(Text(main.mnuInfo), "Info");
    EXPECT_EQ(Text(main.ToolButton9), "Διαγραφή") << "keys the file lacks keep their built-in text";
    EXPECT_EQ(main.NormIcon->toolTip().toStdString(), "Dupliqa");
    EXPECT_EQ(ReadFileBytes(dir / "Dupliqa.ini"), "[Language]\r\nLanguage=Deutsch\r\n");
    EXPECT_EQ(main.LanguageName, "English") << "the start-up name is kept";
    EXPECT_EQ(Text(main.StatusBar1[0]), "0  Προφίλ(ς)") << "panel 0 waits for the next reload";
}

TEST_F(MainWindowTest, UnwritableExeFolderIsReportedAndTheProgramCarriesOn)
{
    WriteFileBytes(dir / "Items.txt", "Docs;/a;/b;180\r\n");
    const std::string lock = "chattr +i '" + dir.path() + "' 2>/dev/null";
    if (std::system(lock.c_str()) != 0)
        GTEST_SKIP() << "this file system does not take the immutable attribute";
    struct Unlock {
        std::string path;
        ~Unlock() { std::system(("chattr -i '" + path + "'").c_str()); }
    } unlock{dir.path()};

    TMain& main = Start();
    EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{"Unable to write to " + (dir / "Dupliqa.ini") + "."});
    EXPECT_EQ(MessageBoxes::History().back().title, "Dupliqa");
    EXPECT_EQ(main.ProfileCount, 1) << "the profiles load, so the backups go on";
    EXPECT_EQ(Text(main.ToolButton8), "Δημιουργία");
    EXPECT_FALSE(main.isHidden() && main.Quitting());
}

TEST_F(MainWindowTest, ProtectedFilesThatHoldWhatStartUpWouldWriteGiveNoErrorBox)
{
    WriteFileBytes(dir / "Items.txt", "Docs;/a;/b;180\r\n");
    // The first start writes a text's leading blank, which every later read drops: from the second
    // start on, the files hold what start-up would write.
    for (int start = 0; start < 2; ++start) {
        Start();
        window.reset();
    }
    ImmutableFlag settings(dir / "Dupliqa.ini");
    ImmutableFlag language(dir / "English.Lang");
    if (!settings.applied() || !language.applied())
        GTEST_SKIP() << ImmutableFlagRefused;
    TMain& main = Start();
    EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{});
    EXPECT_EQ(main.ProfileCount, 1);
}

namespace {

// Columns of an image that hold ink darker than the frames' greys.
int InkColumns(const QImage& image, int left, int right)
{
    int columns = 0;
    for (int x = left; x < right; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 100) {
                ++columns;
                break;
            }
    return columns;
}

} // namespace

TEST_F(MainWindowTest, ShownWindowHasItsOuterSizeAndPanelsThatKeepTheirTextsInside)
{
    TMain& main = Start();
    main.show();
    QApplication::processEvents();
    EXPECT_EQ(main.frameGeometry(), QRect(213, 163, 483, 318)) << "the frame is part of the size";
    EXPECT_EQ(main.windowTitle(), QStringLiteral(" "));
    int left = 0;
    for (size_t i = 0; i < main.StatusBar1.size(); ++i) {
        EXPECT_EQ(main.StatusBar1[i]->x(), left) << "panel " << i;
        left += std::array{80, 250, 80, 50}[i];
        EXPECT_EQ(main.StatusBar1[i]->x() + main.StatusBar1[i]->width(), left) << "panel " << i;
    }

    QLabel* method = main.StatusBar1[3];
    method->setText(QStringLiteral("1 method"));
    QImage whole(200, 40, QImage::Format_RGB32);
    whole.fill(Qt::white);
    QPainter painter(&whole);
    painter.setFont(method->font());
    painter.drawText(QPoint(4, 30), method->text());
    painter.end();
    const QImage panel = method->grab().toImage();
    EXPECT_EQ(InkColumns(panel, 1, panel.width() - 1), InkColumns(whole, 0, whole.width())) << "the text is cut";

    QWidget* bar = main.StatusBar1[0]->parentWidget();
    const QImage before = bar->grab().toImage();
    main.StatusBar1[1]->setText(QString(200, QLatin1Char('W')));
    const QImage after = bar->grab().toImage();
    const int nextPanel = main.StatusBar1[2]->x();
    EXPECT_EQ(after.copy(nextPanel, 0, 80, after.height()), before.copy(nextPanel, 0, 80, before.height()))
        << "a long path is drawn over the next panel";
}

TEST_F(MainWindowTest, GaugePercentageReadsOverBothPartsAndKeepsClearOfTheEdges)
{
    TMain& main = Start();
    main.Gauge1->setRange(0, 100);
    for (int value : {30, 80}) {
        main.Gauge1->setValue(value);
        const QImage gauge = main.Gauge1->grab().toImage();
        ASSERT_EQ(gauge.size(), QSize(176, 14));
        const int filled = 1 + 174 * value / 100;
        // The text is white where the bar is black and black where it is white.
        int top = gauge.height(), bottom = -1;
        for (int y = 1; y < gauge.height() - 1; ++y)
            for (int x = 60; x < 116; ++x) {
                const int gray = qGray(gauge.pixel(x, y));
                if (x < filled ? gray > 160 : gray < 96) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        EXPECT_GE(bottom, 0) << "no readable text at " << value << "%";
        EXPECT_GE(top, 2) << value << "%";
        EXPECT_LE(bottom, gauge.height() - 3) << "the text is cut at the bottom at " << value << "%";
    }
}
