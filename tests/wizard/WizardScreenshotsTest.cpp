// Pictures of the five wizard pages and the folder picker. Normally they go to a temporary folder
// and only their sizes are checked; scripts/screenshot-wizard.sh names a folder to keep them in.
#include "WizardTestSupport.h"

#include "folderSelectfrm/TfolderSelect.h"
#include "wizardfrm/TWizard.h"

#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <cstdlib>
#include <filesystem>

namespace {

std::string ScreenshotFolder(const TempFolder& fallback)
{
    const char* named = std::getenv("DUPLIQA_SCREENSHOT_FOLDER");
    if (!named || !*named)
        return fallback.path();
    std::filesystem::create_directories(named);
    return std::string(named) + "/";
}

void SaveGrab(QWidget& window, const std::string& path, const QSize& size)
{
    const QPixmap picture = window.grab();
    EXPECT_EQ(picture.size(), size) << path;
    ASSERT_TRUE(picture.save(QString::fromStdString(path), "PNG")) << path;
    EXPECT_EQ(QImage(QString::fromStdString(path)).size(), size) << path;
}

} // namespace

class WizardScreenshots : public WizardTestBase {};

TEST_F(WizardScreenshots, EveryPageAndThePickerGrabAtTheirDesignSizes)
{
    TempFolder fallback;
    const std::string folder = ScreenshotFolder(fallback);

    TWizard wizard({text, result});
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    const QString entries[] = {QString(), QStringLiteral("/home/ana/Έγγραφα"), QStringLiteral("/media/usb/Backup")};
    for (int page = 0; page <= 4; ++page) {
        if (page == 1 || page == 2)
            TypeInto(page == 1 ? wizard.Esource : wizard.Edestination, entries[page]);
        SaveGrab(wizard, folder + "wizard-page-" + std::to_string(page) + ".png", {437, 280});
        Click(wizard.Bmeta);
        EXPECT_EQ(wizard.WizardPage, page < 4 ? page + 1 : 4);
    }

    // The picker opened on a home folder that holds a few folders, one named in another encoding.
    TempFolder home;
    for (const char* name : {"Documents", "Έγγραφα", "Music", "caf\xE9", "a folder whose name is longer than the tree"})
        MakeFolders(home / name);
    const std::string homePath = home.path().substr(0, home.path().size() - 1);
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", homePath.c_str(), 1);
    TfolderSelect picker(text, &wizard);
    ::setenv("HOME", oldHome.c_str(), 1);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    const QModelIndex root = picker.ShellTreeView1->model()->index(0, 0);
    EXPECT_EQ(root.data().toString(), QString::fromStdString(homePath)) << "the home folder is the top item";
    picker.ShellTreeView1->expand(root);
    EXPECT_TRUE(WaitFor([&] { return picker.ShellTreeView1->model()->rowCount(root) == 5; }));
    picker.ShellTreeView1->setCurrentIndex(picker.ShellTreeView1->model()->index(0, 0, root));
    // Without a window manager there is no frame, and the window is the outer size itself.
    SaveGrab(picker, folder + "folder-picker.png", picker.size());
    EXPECT_EQ(picker.frameGeometry().size(), QSize(297, 355));
}
