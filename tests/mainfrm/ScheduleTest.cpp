#include "MainWindowFixture.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest/QTest>

#include <filesystem>

namespace {

bool Exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::vector<QMessageBox*> OpenBoxes()
{
    std::vector<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            boxes.push_back(box);
    return boxes;
}

std::vector<std::string> OpenBoxTexts()
{
    std::vector<std::string> texts;
    for (const QMessageBox* box : OpenBoxes())
        texts.push_back(box->text().toStdString());
    return texts;
}

// Real boxes that nobody answers. Whatever is still open goes at the end, and at the latest after
// a minute, so that a box whose loop never returns fails the test instead of hanging it.
class UnansweredBoxes {
public:
    UnansweredBoxes()
    {
        TestSeams::SetUnattendedBoxes(false);
        QTimer::singleShot(60000, &m_guard, &CloseAll);
    }
    ~UnansweredBoxes()
    {
        CloseAll();
        TestSeams::SetUnattendedBoxes(true);
    }
    static void CloseAll()
    {
        for (QMessageBox* box : OpenBoxes())
            box->done(QMessageBox::Ok);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    QObject m_guard;
};

// Gives the source file new content and a later time, then runs the event loop until the next run
// of its profile has copied it.
bool NextRunCopies(const std::string& source, const std::string& copy, const std::string& content)
{
    static int changes = 0;
    WriteFileBytes(source, content);
    const auto later = std::filesystem::last_write_time(source) + std::chrono::seconds(10 * ++changes);
    std::filesystem::last_write_time(source, later);
    return QTest::qWaitFor([&] { return Exists(copy) && ReadFileBytes(copy) == content; }, 20000);
}

} // namespace

// The real timers, in real seconds: every profile runs once shortly after start-up, then again
// whenever its countdown has run out. The countdown of One is far longer than the test, so only the
// run after start-up can copy it.
TEST_F(MainWindowTest, ProfilesRunAfterStartUpAndAgainAfterTheirInterval)
{
    for (const char* name : {"one", "two"}) {
        MakeFolders(dir / name);
        WriteFileBytes(dir / name + "/file.txt", std::string("first ") + name);
    }
    MakeFolders(dir / "backup");
    WriteFileBytes(dir / "Items.txt", "One;" + (dir / "one") + ";" + (dir / "backup") + ";1000\r\n" + "Two;" +
                                          (dir / "two") + ";" + (dir / "backup") + ";2\r\n");
    window = std::make_unique<TMain>();
    window->FormCreate();
    const std::string copyOne = dir / "backup" + dir.path() + "one/file.txt";
    const std::string copyTwo = dir / "backup" + dir.path() + "two/file.txt";

    // QtTest's own checks (QTRY_...) report to QtTest, never to the test here, so they cannot fail it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Exists(copyOne) && Exists(copyTwo); }, 30000));
    EXPECT_EQ(ReadFileBytes(copyOne), "first one");
    EXPECT_EQ(ReadFileBytes(copyTwo), "first two");
    EXPECT_EQ(window->ItemImage(0), 0);
    EXPECT_EQ(window->ItemImage(1), 0);

    // Interval 2: two ticks count down, the third runs the profile again.
    WriteFileBytes(dir / "two/file.txt", "second two, longer");
    const auto changed = std::filesystem::last_write_time(dir / "two/file.txt") + std::chrono::seconds(10);
    std::filesystem::last_write_time(dir / "two/file.txt", changed);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ReadFileBytes(copyTwo) == "second two, longer"; }, 30000));
    EXPECT_TRUE(TestSeams::BoxHistory().empty());
}

// A box that nobody answers, opened by a tick: the scheduler goes on while it waits.
TEST_F(MainWindowTest, AnUnansweredErrorBoxOfATickLetsTheOtherProfilesRunOnTheirPeriod)
{
    UnansweredBoxes boxes;
    MakeFolders(dir / "good");
    MakeFolders(dir / "backup");
    WriteFileBytes(dir / "Items.txt",
        "Bad;/tmp/a;/tmp/b;abc\r\nGood;" + (dir / "good") + ";" + (dir / "backup") + ";2\r\n");
    window = std::make_unique<TMain>();
    window->FormCreate();
    const std::vector<std::string> badLine { "Invalid variant type conversion." };
    ASSERT_TRUE(QTest::qWaitFor([&] { return OpenBoxTexts() == badLine; }, 10000));

    const std::string copy = dir / "backup" + dir.path() + "good/file.txt";
    for (const std::string content : {"first", "second"})
        ASSERT_TRUE(NextRunCopies(dir / "good/file.txt", copy, content)) << content << " run, with the box open";
    EXPECT_EQ(OpenBoxTexts(), badLine) << "the box is still open, and alone";
}

// A log that cannot be written fails every run: one box while it is open, a new one once it was closed.
TEST_F(MainWindowTest, TheSameErrorNeverStacksABoxOnTheOneStillOpen)
{
    UnansweredBoxes boxes;
    MakeFolders(dir / "Error.log"); // a folder where the log belongs
    MakeFolders(dir / "lost");
    WriteFileBytes(dir / "lost/file.txt", "never copied: its drive is missing");
    MakeFolders(dir / "good");
    MakeFolders(dir / "backup");
    WriteFileBytes(dir / "Items.txt", "Lost;" + (dir / "lost") + ";" + (dir / "no-drive/backup") + ";0\r\nGood;"
                                          + (dir / "good") + ";" + (dir / "backup") + ";0\r\n");
    window = std::make_unique<TMain>();
    window->FormCreate();
    ASSERT_TRUE(QTest::qWaitFor([] { return !OpenBoxes().empty(); }, 10000));
    const std::vector<std::string> unwritableLog = OpenBoxTexts();
    ASSERT_EQ(unwritableLog.size(), size_t { 1 });

    const std::string copy = dir / "backup" + dir.path() + "good/file.txt";
    for (const std::string content : {"first", "second", "third"})
        ASSERT_TRUE(NextRunCopies(dir / "good/file.txt", copy, content)) << content << " run, with the box open";
    EXPECT_EQ(OpenBoxTexts(), unwritableLog) << "every run failed to log, and one box says so";

    OpenBoxes().front()->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(QTest::qWaitFor([] { return OpenBoxes().empty(); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return OpenBoxTexts() == unwritableLog; }, 10000))
        << "the next failure opens the box again";
}
