#include "MainWindowFixture.h"

#include <QElapsedTimer>
#include <QtTest/QTest>

#include <filesystem>

namespace {

bool Exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

} // namespace

// The real timers, in real seconds: every profile runs once shortly after start-up, then again
// whenever its countdown has run out.
TEST_F(MainWindowTest, ProfilesRunAfterStartUpAndAgainAfterTheirInterval)
{
    for (const char* name : {"one", "two"}) {
        MakeFolders(dir / name);
        WriteFileBytes(dir / name + "/file.txt", std::string("first ") + name);
    }
    MakeFolders(dir / "backup");
    WriteFileBytes(dir / "Items.txt", "One;" + (dir / "one") + ";" + (dir / "backup") + ";2\r\n" + "Two;" +
                                          (dir / "two") + ";" + (dir / "backup") + ";2\r\n");
    QElapsedTimer clock;
    clock.start();
    window = std::make_unique<TMain>();
    window->FormCreate();
    const std::string copyOne = dir / "backup" + dir.path() + "one/file.txt";
    const std::string copyTwo = dir / "backup" + dir.path() + "two/file.txt";

    QTRY_VERIFY_WITH_TIMEOUT(Exists(copyOne) && Exists(copyTwo), 4000);
    EXPECT_LE(clock.elapsed(), 3500) << "both profiles run within about three seconds of start-up";
    EXPECT_EQ(ReadFileBytes(copyOne), "first one");
    EXPECT_EQ(ReadFileBytes(copyTwo), "first two");
    EXPECT_EQ(window->ItemImage(0), 0);
    EXPECT_EQ(window->ItemImage(1), 0);

    // Interval 2: two ticks count down, the third runs the profile again.
    WriteFileBytes(dir / "two/file.txt", "second two, longer");
    const auto changed = std::filesystem::last_write_time(dir / "two/file.txt") + std::chrono::seconds(10);
    std::filesystem::last_write_time(dir / "two/file.txt", changed);
    QTRY_COMPARE_WITH_TIMEOUT(ReadFileBytes(copyTwo), std::string("second two, longer"), 5000);
    EXPECT_TRUE(MessageBoxes::History().empty());
}
