#include "WizardTestSupport.h"
#include "DeadFuseMount.h"
#include "TestSeams.h"

#include "folderSelectfrm/FolderTreeModel.h"
#include "folderSelectfrm/TfolderSelect.h"
#include "platform/HomeFolder.h"
#include "wizardfrm/TWizard.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

// Clicks the row of index in the picker's tree with button, scrolled into view first.
void ClickRow(TfolderSelect& picker, const QPersistentModelIndex& index, Qt::MouseButton button)
{
    QTreeView& tree = *picker.ShellTreeView1;
    tree.scrollTo(index);
    // The row may be wider than the tree: its visible part is what the user clicks.
    const auto shown = [&] { return tree.visualRect(index).intersected(tree.viewport()->rect()); };
    ASSERT_TRUE(WaitFor([&] { return !shown().isEmpty(); }));
    QTest::mouseClick(tree.viewport(), button, {}, shown().center());
}

// The child of parent that the tree shows with caption, once parent is opened.
QModelIndex ChildShown(QTreeView& tree, const QModelIndex& parent, const QString& caption)
{
    tree.expand(parent);
    QModelIndex found;
    WaitFor([&] {
        for (int row = 0; row < tree.model()->rowCount(parent) && !found.isValid(); ++row)
            if (tree.model()->index(row, 0, parent).data().toString() == caption)
                found = tree.model()->index(row, 0, parent);
        return found.isValid();
    });
    return found;
}

std::string WithoutTrailingSlash(std::string path)
{
    path.pop_back();
    return path;
}

class FolderPicker : public WizardTestBase {
protected:
    // A picker whose tree has home on top, as for a user whose home folder it is.
    std::unique_ptr<TfolderSelect> PickerAtHome(const TempFolder& home)
    {
        const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        ::setenv("HOME", WithoutTrailingSlash(home.path()).c_str(), 1);
        auto picker = std::make_unique<TfolderSelect>(text); // reads the home folder once, as it opens
        ::setenv("HOME", oldHome.c_str(), 1);
        return picker;
    }

    FolderTreeModel& Folders(TfolderSelect& picker)
    {
        return *qobject_cast<FolderTreeModel*>(picker.ShellTreeView1->model());
    }

    // The folder's item once the folders above it have been listed; invalid when it never shows.
    QModelIndex Found(TfolderSelect& picker, const std::string& folder)
    {
        QModelIndex index;
        WaitFor([&] { return (index = Folders(picker).IndexOf(folder)).isValid(); });
        return index;
    }

    // The names the tree shows below folder once it is opened.
    QStringList ShownBelow(TfolderSelect& picker, const std::string& folder)
    {
        FolderTreeModel& model = Folders(picker);
        const QModelIndex index = Found(picker, folder);
        model.fetchMore(index);
        WaitFor([&] { return !model.BeingListed(index); });
        QStringList names;
        for (int row = 0; row < model.rowCount(index); ++row)
            names << model.index(row, 0, index).data().toString();
        return names;
    }

    // Clicks the folder's row in the tree with button, as the user does.
    void ClickFolder(TfolderSelect& picker, const std::string& folder, Qt::MouseButton button)
    {
        const QPersistentModelIndex index = Found(picker, folder);
        ASSERT_TRUE(index.isValid());
        ClickRow(picker, index, button);
    }
};

} // namespace

TEST_F(FolderPicker, WindowAndControlsAsDesigned)
{
    text[UiKey::LFolderSelect] = "Διάλεξε & φάκελο";
    TfolderSelect picker(text);
    EXPECT_EQ(picker.windowTitle(), QStringLiteral("folderSelect"));
    EXPECT_EQ(picker.pos(), QPoint(301, 115));
    EXPECT_NE(picker.minimumSize(), picker.maximumSize()) << "the picker can be resized";
    const Qt::WindowFlags flags = picker.windowFlags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowContextHelpButtonHint));

    EXPECT_EQ(picker.Label1->text(), QStringLiteral("Διάλεξε  φάκελο"));
    EXPECT_EQ(picker.Label1->pos(), QPoint(24, 8));
    EXPECT_EQ(picker.ShellTreeView1->geometry(), QRect(16, 32, 249, 249));
    EXPECT_EQ(picker.Bmeta->text(), QString::fromUtf16(u"\u039F\u039A"));
    EXPECT_EQ(picker.Bmeta->geometry().topLeft(), QPoint(40, 290));
    EXPECT_EQ(picker.Bmeta->width(), 81);
    EXPECT_EQ(picker.dxButton3->text(), QStringLiteral("Άκυρο"));
    EXPECT_EQ(picker.dxButton3->geometry().topLeft(), QPoint(152, 290));
    EXPECT_EQ(picker.dxButton3->width(), 81);
    for (QPushButton* button : {picker.Bmeta, picker.dxButton3}) {
        EXPECT_FALSE(button->autoDefault());
        EXPECT_FALSE(button->isDefault());
    }
    for (const char* name : {"Label1", "ShellTreeView1", "Bmeta", "dxButton3"})
        EXPECT_NE(picker.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
}

TEST_F(FolderPicker, TheTreeStartsCollapsedAtHomeThenTheRootWithFolderIconsOnWhite)
{
    TfolderSelect picker(text);
    FolderTreeModel& model = Folders(picker);
    QTreeView& tree = *picker.ShellTreeView1;
    const std::string home = platform::HomeFolder();
    ASSERT_EQ(model.rowCount(), home == "/" ? 1 : 2);
    EXPECT_EQ(model.PathOf(model.index(0, 0)), home);
    EXPECT_EQ(model.PathOf(model.index(model.rowCount() - 1, 0)), "/");
    for (int row = 0; row < model.rowCount(); ++row) {
        EXPECT_FALSE(tree.isExpanded(model.index(row, 0)));
        EXPECT_FALSE(model.index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        EXPECT_FALSE(model.flags(model.index(row, 0)) & Qt::ItemIsEditable);
    }
    EXPECT_EQ(tree.indentation(), 19);
    EXPECT_EQ(tree.viewport()->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_TRUE(tree.isHeaderHidden());

    // The first row takes the focus but is not selected: it shows a dotted outline, never a frame
    // that reads as a selection.
    picker.show();
    tree.setFocus();
    ASSERT_TRUE(WaitFor([&] { return tree.hasFocus() && tree.currentIndex().isValid(); }));
    ASSERT_TRUE(tree.selectionModel()->selectedRows().isEmpty());
    const QImage row = tree.viewport()->grab(tree.visualRect(tree.currentIndex())).toImage();
    const QColor base = tree.viewport()->palette().color(QPalette::Base);
    int dots = 0, joined = 0;
    for (int x = 1; x < row.width(); ++x) {
        const bool dot = row.pixelColor(x, 0) != base;
        dots += dot;
        joined += dot && row.pixelColor(x - 1, 0) != base;
    }
    EXPECT_TRUE(dots > 0 && joined < dots / 4) << dots << " marks on the top edge, " << joined << " of them joined";
}

TEST_F(FolderPicker, ShowsFoldersOnlyAndNoHiddenOnes)
{
    TempFolder root;
    MakeFolders(root / "Έγγραφα");
    MakeFolders(root / "Music");
    MakeFolders(root / ".cache");
    WriteFileBytes(root / "notes.txt", "x");
    std::filesystem::create_symlink(root / "notes.txt", root / "link-to-file");
    std::filesystem::create_directory_symlink(root / "Music", root / "link-to-folder");

    TfolderSelect picker(text);
    picker.show();
    EXPECT_EQ(ShownBelow(picker, WithoutTrailingSlash(root.path())),
              (QStringList{QStringLiteral("link-to-folder"), QStringLiteral("Music"), QStringLiteral("Έγγραφα")}));
}

TEST_F(FolderPicker, HomeComesFirstAndEveryFolderShowsWholeAndIsChosenByItsBytes)
{
    TempFolder home;
    const std::string latin1 = home / "caf\xE9"; // not UTF-8: a name from an older system
    const std::string longName = home / std::string(120, 'n');
    MakeFolders(latin1);
    MakeFolders(longName);
    const std::unique_ptr<TfolderSelect> shown = PickerAtHome(home);
    TfolderSelect& picker = *shown;
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    QTreeView& tree = *picker.ShellTreeView1;
    QAbstractItemModel& model = *tree.model();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(0, 0).data().toString(), QString::fromUtf8(WithoutTrailingSlash(home.path())));
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("/"));

    const QPersistentModelIndex wide = ChildShown(tree, model.index(0, 0), QString(120, u'n'));
    ASSERT_TRUE(wide.isValid());
    tree.scrollTo(wide);
    QCoreApplication::processEvents();
    EXPECT_GT(tree.horizontalScrollBar()->maximum(), 0) << "a long name scrolls sideways";
    EXPECT_GT(tree.columnWidth(0), tree.viewport()->width());

    const QPersistentModelIndex cafe = ChildShown(tree, model.index(0, 0), QStringLiteral("caf") + QChar(0xDCE9));
    ASSERT_TRUE(cafe.isValid()) << "a folder whose name is not UTF-8 is listed";
    ClickRow(picker, cafe, Qt::LeftButton);
    EXPECT_EQ(picker.SelectedPath(), latin1);
    Click(picker.Bmeta);
    EXPECT_EQ(picker.ChosenFolder(), latin1);
}

TEST_F(FolderPicker, ItsOuterSizeIncludesTheWindowFrame)
{
    TfolderSelect picker(text);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    ASSERT_TRUE(WaitFor([&] { return picker.frameGeometry().size() == QSize(297, 355); }))
        << picker.frameGeometry().width() << "x" << picker.frameGeometry().height();

    // A size the user gives the picker stays, however the window system moves it.
    picker.resize(400, 420);
    picker.move(picker.pos() + QPoint(5, 5));
    QCoreApplication::processEvents();
    EXPECT_EQ(picker.size(), QSize(400, 420));
}

TEST_F(FolderPicker, AClickedFolderIsChosenOnOk)
{
    TempFolder root;
    const std::string chosen = root / "Backup";
    MakeFolders(chosen);
    TfolderSelect picker(text);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    ClickFolder(picker, chosen, Qt::LeftButton);
    EXPECT_EQ(picker.SelectedPath(), chosen);
    EXPECT_EQ(picker.ChosenFolder(), "") << "nothing is chosen before OK";
    Click(picker.Bmeta);
    EXPECT_EQ(picker.ChosenFolder(), chosen);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_FALSE(picker.isVisible());
}

TEST_F(FolderPicker, ARightClickSelectsToo)
{
    TempFolder root;
    MakeFolders(root / "left");
    MakeFolders(root / "right");
    TfolderSelect picker(text);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    ClickFolder(picker, root / "left", Qt::LeftButton);
    ClickFolder(picker, root / "right", Qt::RightButton);
    EXPECT_EQ(picker.SelectedPath(), root / "right");
}

TEST_F(FolderPicker, OkWithNothingSelectedClosesChoosingNothing)
{
    TfolderSelect picker(text);
    picker.show();
    Click(picker.Bmeta);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.ChosenFolder(), "");
    EXPECT_FALSE(picker.isVisible());
}

TEST_F(FolderPicker, EnterAndEscapePressNothing)
{
    bool checked = false;
    WhenPickerOpens([&checked](TfolderSelect& picker) {
        for (QWidget* target : {static_cast<QWidget*>(picker.ShellTreeView1), static_cast<QWidget*>(picker.Bmeta),
                                static_cast<QWidget*>(&picker)})
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(target, key);
        QCoreApplication::processEvents(); // handles what the keys queued
        EXPECT_TRUE(picker.isVisible());
        checked = true;
        Click(picker.dxButton3);
    });
    TfolderSelect picker(text);
    picker.Open();
    EXPECT_TRUE(WaitFor([&] { return checked && !picker.isVisible(); }));
    EXPECT_EQ(picker.result(), QDialog::Rejected);
}

TEST_F(FolderPicker, AQueuedAnswerActsAsTheButtonsWouldWithoutShowing)
{
    TestSeams::AnswerNextPickerWithFolder("/srv/data");
    TestSeams::AnswerNextPickerWithCancel();
    {
        TfolderSelect picker(text);
        picker.Open();
        EXPECT_EQ(picker.result(), QDialog::Accepted);
        EXPECT_FALSE(picker.isVisible());
        EXPECT_EQ(picker.ChosenFolder(), "/srv/data");
    }
    {
        TfolderSelect picker(text);
        picker.Open();
        EXPECT_EQ(picker.result(), QDialog::Rejected);
        EXPECT_EQ(picker.ChosenFolder(), "");
    }
    EXPECT_EQ(TestSeams::QueuedPickerAnswerCount(), 0);
}

TEST_F(FolderPicker, AFolderOnAMountThatNeverAnswersHoldsNeitherTheWindowNorItsClosing)
{
    TempFolder home, elsewhere;
    MakeFolders(home / "alpha");
    MakeFolders(elsewhere / "live");
    DeadFuseMount dead(elsewhere / "share");
    if (!dead.mounted())
        GTEST_SKIP() << dead.reason();
    std::filesystem::create_directory_symlink(dead.path(), home / "share");
    std::filesystem::create_directory_symlink(elsewhere / "live", home / "zeta");
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    const auto start = std::chrono::steady_clock::now();

    std::unique_ptr<TfolderSelect> picker = PickerAtHome(home);
    picker->show();
    QAbstractItemModel* model = picker->ShellTreeView1->model();
    EXPECT_TRUE(ChildShown(*picker->ShellTreeView1, model->index(0, 0), QStringLiteral("alpha")).isValid());
    EXPECT_TRUE(ChildShown(*picker->ShellTreeView1, model->index(0, 0), QStringLiteral("zeta")).isValid());
    ASSERT_TRUE(WaitFor([&] { return ticks >= 20; }));
    EXPECT_EQ(model->rowCount(model->index(0, 0)), 2) << "the listing went past the mount";
    picker.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "the window waited on the mount";

    // A second picker joins the listing that still waits, with the folders it has shown; once the
    // mount lets go the listing ends, and the first picker's share of it finds no picker.
    picker = PickerAtHome(home);
    picker->show();
    const QModelIndex top = picker->ShellTreeView1->model()->index(0, 0);
    EXPECT_TRUE(ChildShown(*picker->ShellTreeView1, top, QStringLiteral("zeta")).isValid());
    EXPECT_EQ(picker->ShellTreeView1->model()->rowCount(top), 2);
    EXPECT_TRUE(Folders(*picker).BeingListed(top));
    dead.Release();
    EXPECT_TRUE(WaitFor([&] { return !Folders(*picker).BeingListed(top); }));
    EXPECT_EQ(picker->ShellTreeView1->model()->rowCount(top), 2);
}
