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

    TfolderSelect picker(text, &wizard);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    const QModelIndex root = picker.ShellTreeView1->model()->index(0, 0);
    picker.ShellTreeView1->expand(root);
    WaitFor([&] { return picker.ShellTreeView1->model()->rowCount(root) > 3; });
    picker.ShellTreeView1->setCurrentIndex(picker.ShellTreeView1->model()->index(0, 0, root));
    QTest::qWait(200); // the folder icons arrive after the names
    SaveGrab(picker, folder + "folder-picker.png", {297, 355});
}
