#include "MainWindowFixture.h"
#include "engine/ErrorLog.h"
#include "widgets/TrayDoubleClick.h"

#include <QCloseEvent>
#include <QDialog>
#include <QGroupBox>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <sys/stat.h>

namespace {

void Select(TMain& main, int row)
{
    main.ListView1->setCurrentRow(row);
}

} // namespace

TEST_F(MainWindowTest, RunWithNothingSelectedOnlySaysSo)
{
    TMain& main = Start();
    main.StopRequested = true;
    main.ToolButton12->click();
    ASSERT_FALSE(TestSeams::BoxHistory().empty());
    EXPECT_EQ(TestSeams::BoxHistory().back().text, "Δεν έχετε επιλέξει τίποτα");
    EXPECT_FALSE(main.StopRequested) << "the click clears the stop request first";
    EXPECT_EQ(main.RunButtonImage(), 3);
}

TEST_F(MainWindowTest, RunBacksUpTheSelectedProfileAndMarksItsItem)
{
    MakeFolders(dir / "src/sub");
    WriteFileBytes(dir / "src/a.txt", "alpha");
    WriteFileBytes(dir / "src/sub/b.txt", "beta");
    MakeFolders(dir / "dst");
    WriteFileBytes(dir / "Items.txt", "Good;" + (dir / "src") + ";" + (dir / "dst") + ";180\r\n" + "Bad;" +
                                          (dir / "src") + ";" + (dir / "nodrive/dst") + ";180\r\n");
    TMain& main = Start();

    Select(main, 0);
    main.N5->trigger();
    const std::string copied = dir / "dst" + dir.path() + "src/";
    EXPECT_EQ(ReadFileBytes(copied + "a.txt"), "alpha");
    EXPECT_EQ(ReadFileBytes(copied + "sub/b.txt"), "beta");
    EXPECT_EQ(main.ItemImage(0), 0);
    EXPECT_EQ(main.RunButtonImage(), 3);
    EXPECT_EQ(Text(main.ToolButton12), "Εκτέλεση");
    EXPECT_FALSE(main.GroupBox1->isVisible());
    for (int panel = 1; panel <= 3; ++panel)
        EXPECT_EQ(Text(main.StatusBar1[static_cast<size_t>(panel)]), "") << "panel " << panel;

    // A destination whose disk is missing fails the run with one abort line.
    Select(main, 1);
    main.ToolButton12->click();
    EXPECT_EQ(main.ItemImage(1), 1);
    EXPECT_EQ(main.ItemImage(0), 0);
    struct stat info {};
    EXPECT_NE(::stat((dir / "nodrive").c_str(), &info), 0) << "the missing disk is never created";
    const std::string log = ReadFileBytes(dir / "Error.log");
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.substr(log.size() - 3), " \r\n") << "the abort line is the time stamp and a blank";
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
}

TEST_F(MainWindowTest, StopClickDuringARunOnlyRequestsTheStop)
{
    MakeFolders(dir / "src");
    for (int i = 0; i < 200; ++i)
        WriteFileBytes(dir / ("src/f" + std::to_string(i)), std::string(1000, 'x'));
    MakeFolders(dir / "dst");
    WriteFileBytes(dir / "Items.txt", "P;" + (dir / "src") + ";" + (dir / "dst") + ";180\r\n");
    WriteFileBytes(dir / "Other.Lang", "[Language]\r\nBRun=Go\r\nMstop=Halt\r\n");
    TMain& main = Start();
    Select(main, 0);

    bool sawStopButton = false;
    std::string captionInOtherLanguage;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (main.RunButtonImage() == 4) {
            sawStopButton = Text(main.ToolButton12) == "Διακοπή";
            for (QAction* language : main.LanguageItems)
                if (Text(language) == "Other")
                    language->trigger();
            captionInOtherLanguage = Text(main.ToolButton12);
            main.ToolButton12->click();
            stopper.stop();
        }
    });
    stopper.start(0);
    main.ToolButton12->click();
    EXPECT_TRUE(sawStopButton);
    EXPECT_EQ(captionInOtherLanguage, "Halt") << "a language chosen during the run keeps the Stop button";
    EXPECT_TRUE(main.StopRequested);
    EXPECT_EQ(main.RunButtonImage(), 3);
    EXPECT_EQ(main.ItemImage(0), 0) << "a stopped run without failures counts as clean";
}

// Runs the failing profile "Bad" by hand and deletes the profile of row deletedRow while it runs; gives the
// picture of the one item left.
class ReloadDuringARun : public MainWindowTest {
protected:
    int ImageAfterDeletingRow(int deletedRow);
};

int ReloadDuringARun::ImageAfterDeletingRow(int deletedRow)
{
    MakeFolders(dir / "src");
    WriteFileBytes(dir / "src/a.txt", "alpha");
    WriteFileBytes(dir / "Items.txt", "Bad;" + (dir / "src") + ";" + (dir / "nodrive/dst") + ";180\r\n"
                                               + "Other;" + (dir / "src") + ";" + (dir / "dst") + ";180\r\n");
    TMain& main = Start();
    Select(main, 0);
    QTimer deleter;
    QObject::connect(&deleter, &QTimer::timeout, [&] {
        if (main.RunButtonImage() != 4)
            return;
        deleter.stop();
        Select(main, deletedRow);
        TestSeams::SetNextAnswer(QMessageBox::Yes);
        main.ToolButton9->click(); // reloads the list
    });
    deleter.start(0);
    main.ToolButton12->click();
    EXPECT_EQ(main.ListView1->count(), 1);
    return main.ItemImage(0);
}

TEST_F(ReloadDuringARun, MarksTheRunsRowWhenAnotherProfileWasDeleted)
{
    EXPECT_EQ(ImageAfterDeletingRow(1), 1) << "the failed run's picture, though the list was reloaded";
}

TEST_F(ReloadDuringARun, MarksNoOtherProfileWhenTheRunningOneWasDeleted)
{
    EXPECT_EQ(ImageAfterDeletingRow(0), 0) << "the failed run's picture went to the profile that took its row";
}

TEST_F(MainWindowTest, FileMenuDeleteDeletesTheSelectedProfile)
{
    WriteFileBytes(dir / "Items.txt", "A;/a;/b;1\r\nB;/c;/d;2\r\n");
    TMain& main = Start();
    Select(main, 0);
    TestSeams::SetNextAnswer(QMessageBox::Yes);
    main.N6->trigger();
    EXPECT_EQ(ReadFileBytes(dir / "Items.txt"), "B;/c;/d;2\r\n");
    EXPECT_EQ(main.ProfileCount, 1);
    EXPECT_EQ(TestSeams::BoxHistory().back().title, "Confirm");
}

TEST_F(MainWindowTest, TheDeleteQuestionWaitsWhileTimersTickAndItsYesDeletes)
{
    WriteFileBytes(dir / "Items.txt", "A;/a;/b;1\r\nB;/c;/d;2\r\n");
    TMain& main = Start();
    Select(main, 0);
    TestSeams::SetUnattendedBoxes(false);
    main.ToolButton9->click();
    auto* box = main.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
    tick.start(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 10000)) << "the event loop stood still";
    EXPECT_EQ(ReadFileBytes(dir / "Items.txt"), "A;/a;/b;1\r\nB;/c;/d;2\r\n") << "nothing before the answer";
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    EXPECT_EQ(ReadFileBytes(dir / "Items.txt"), "B;/c;/d;2\r\n");
}

TEST_F(MainWindowTest, DeletingTheLogAsksWithTheInformationBoxAndItsYesDeletes)
{
    WriteFileBytes(dir / "Error.log", "line\r\n");
    TMain& main = Start();
    TestSeams::SetUnattendedBoxes(false);
    main.N14->trigger();
    auto* box = main.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(ReadFileBytes(dir / "Error.log"), "line\r\n") << "nothing before the answer";
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    struct stat info {};
    EXPECT_NE(::lstat((dir / "Error.log").c_str(), &info), 0);

    // A line a run adds while the question waits is not among those the user chose to clear.
    WriteFileBytes(dir / "Error.log", "line\r\n");
    main.N14->trigger();
    box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    AppendErrorLog("while the question waited");
    const std::string added = ReadFileBytes(dir / "Error.log").substr(6);
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    EXPECT_EQ(ReadFileBytes(dir / "Error.log"), added);
    EXPECT_NE(added.find("while the question waited\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, ADoubleClickOnTheIconBringsBackAMinimisedWizard)
{
    TMain& main = Start();
    main.ToolButton8->click(); // New returns with its wizard open
    auto* wizard = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(wizard, nullptr);
    wizard->showMinimized();
    main.NormIconDblClick(main.NormIcon);
    EXPECT_FALSE(wizard->isMinimized());
    wizard->reject();
}

TEST_F(MainWindowTest, AnErrorInAHandlerIsShownAndTheProgramGoesOn)
{
    WriteFileBytes(dir / "Items.txt", "A;/a;/b;1\r\n");
    TMain& main = Start();
    Select(main, 0);
    // Items.txt turns into a folder: the Delete command cannot read it.
    std::remove((dir / "Items.txt").c_str());
    MakeFolders(dir / "Items.txt");
    TestSeams::SetNextAnswer(QMessageBox::Yes);
    main.ToolButton9->click();
    EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{"Cannot open file " + (dir / "Items.txt") + "."});
    EXPECT_EQ(main.ProfileCount, 1) << "table and list keep their state";
    EXPECT_EQ(main.ListView1->count(), 1);
}

TEST_F(MainWindowTest, CloseButtonPutsTheWindowAwayAndExitEndsTheProgram)
{
    WriteFileBytes(dir / "Items.txt", "A;/a;/b;1\r\n");
    TMain& main = Start();
    main.show();
    QCloseEvent byTitleBar;
    QApplication::sendEvent(&main, &byTitleBar);
    EXPECT_FALSE(byTitleBar.isAccepted()) << "the close button never closes the window";
    EXPECT_FALSE(main.Quitting());
    if (main.TrayAvailable())
        EXPECT_FALSE(main.isVisible());
    else
        EXPECT_TRUE(main.isMinimized()) << "without a tray the window stays reachable";

    // A question left open when Exit comes closes with the program, and its command goes no further.
    Select(main, 0);
    TestSeams::SetUnattendedBoxes(false);
    main.ToolButton9->click();
    bool quitSeen = false;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] { quitSeen = true; });
    QTimer::singleShot(0, [&] { main.N8->trigger(); });
    QTimer::singleShot(5000, [] { QApplication::exit(2); });
    const int result = QApplication::exec();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(main.Quitting());
    EXPECT_TRUE(quitSeen);
    EXPECT_EQ(ReadFileBytes(dir / "Items.txt"), "A;/a;/b;1\r\n");
    main.NormIconDblClick(main.NormIcon);
    EXPECT_FALSE(main.isVisible()) << "the window came back after Exit, where a new profile would be lost";
}

TEST_F(MainWindowTest, TrayIconTakesDoubleClicksOfTheMiddleAndRightButtons)
{
    // A window in the place of the tray icon's own, and the tray menu that a right press opens.
    QWidget icon;
    icon.setGeometry(900, 0, 24, 24);
    icon.show();
    QMenu menu;
    menu.addAction(QStringLiteral("Error log"));
    int doubleClicks = 0;
    OnDoubleClickIn([&] { return icon.geometry(); }, &icon, [&] { ++doubleClicks; });
    auto press = [&](QWidget* to, QEvent::Type type, Qt::MouseButton button, quint64 time) {
        const QPointF onIcon = icon.geometry().center();
        QMouseEvent event(type, to->mapFromGlobal(onIcon), onIcon, button, button, Qt::NoModifier);
        event.setTimestamp(time);
        QApplication::sendEvent(to, &event);
    };
    // Qt turns the middle button's second press into a double-click event only.
    press(&icon, QEvent::MouseButtonPress, Qt::MiddleButton, 1000);
    press(&icon, QEvent::MouseButtonDblClick, Qt::MiddleButton, 1100);
    // The right button's second press goes to the menu that its first one opened under the pointer.
    press(&icon, QEvent::MouseButtonPress, Qt::RightButton, 5000);
    menu.popup(icon.geometry().center());
    press(&menu, QEvent::MouseButtonPress, Qt::RightButton, 5100);
    EXPECT_FALSE(menu.isVisible()) << "the second press chose an item of the menu";
    const auto slow = static_cast<quint64>(QApplication::doubleClickInterval()) + 1;
    press(&icon, QEvent::MouseButtonPress, Qt::MiddleButton, 9000);
    press(&icon, QEvent::MouseButtonPress, Qt::MiddleButton, 9000 + slow);
    QApplication::processEvents();
    EXPECT_EQ(doubleClicks, 2);
}
