#include "WizardTestSupport.h"

#include "folderSelectfrm/TfolderSelect.h"
#include "wizardfrm/TWizard.h"

#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <filesystem>

namespace {

class FolderPicker : public WizardTestBase {
protected:
    QFileSystemModel& Folders(TfolderSelect& picker)
    {
        return *qobject_cast<QFileSystemModel*>(picker.ShellTreeView1->model());
    }

    // The names the tree shows below folder, once it has read them.
    QStringList ShownBelow(TfolderSelect& picker, const std::string& folder, int expected)
    {
        QFileSystemModel& model = Folders(picker);
        const QModelIndex index = model.index(QString::fromStdString(folder));
        picker.ShellTreeView1->expand(index);
        model.fetchMore(index);
        WaitFor([&] { return model.rowCount(index) >= expected; });
        QTest::qWait(100); // anything that should not be there has had time to arrive too
        QStringList names;
        for (int row = 0; row < model.rowCount(index); ++row)
            names << model.fileName(model.index(row, 0, index));
        names.sort();
        return names;
    }

    // Clicks the folder's row in the tree with button, as the user does.
    void ClickFolder(TfolderSelect& picker, const std::string& folder, Qt::MouseButton button)
    {
        const QPersistentModelIndex index = Folders(picker).index(QString::fromStdString(folder));
        ASSERT_TRUE(index.isValid());
        picker.ShellTreeView1->scrollTo(index);
        ASSERT_TRUE(WaitFor([&] { return !picker.ShellTreeView1->visualRect(index).isEmpty(); }));
        QTest::mouseClick(picker.ShellTreeView1->viewport(), button, {},
                          picker.ShellTreeView1->visualRect(index).center());
    }
};

} // namespace

TEST_F(FolderPicker, WindowAndControlsAsDesigned)
{
    text[UiKey::LFolderSelect] = "Διάλεξε & φάκελο";
    TfolderSelect picker(text);
    EXPECT_EQ(picker.windowTitle(), QStringLiteral("folderSelect"));
    EXPECT_EQ(picker.size(), QSize(297, 355));
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

TEST_F(FolderPicker, TheTreeStartsCollapsedAtTheRootWithFolderIconsOnWhite)
{
    TfolderSelect picker(text);
    QFileSystemModel& model = Folders(picker);
    QTreeView& tree = *picker.ShellTreeView1;
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex root = model.index(0, 0);
    EXPECT_EQ(model.filePath(root), QStringLiteral("/"));
    EXPECT_FALSE(tree.isExpanded(root));
    EXPECT_EQ(tree.indentation(), 19);
    EXPECT_EQ(tree.palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_TRUE(tree.isHeaderHidden());
    for (int column = 1; column < model.columnCount(); ++column)
        EXPECT_TRUE(tree.isColumnHidden(column)) << column;
    EXPECT_NE(dynamic_cast<QFileIconProvider*>(model.iconProvider()), nullptr);
    EXPECT_FALSE(model.data(root, Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(model.filter(), QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_TRUE(model.isReadOnly());
}

TEST_F(FolderPicker, ShowsFoldersOnlyAndNoHiddenOnes)
{
    TempFolder root;
    MakeFolders(root / "Έγγραφα");
    MakeFolders(root / "Music");
    MakeFolders(root / ".cache");
    WriteFileBytes(root / "notes.txt", "x");
    std::filesystem::create_symlink(root / "notes.txt", root / "link-to-file");

    TfolderSelect picker(text);
    picker.show();
    std::string folder = root.path();
    folder.pop_back();
    EXPECT_EQ(ShownBelow(picker, folder, 2), (QStringList{QStringLiteral("Music"), QStringLiteral("Έγγραφα")}));
}

TEST_F(FolderPicker, AClickedFolderGoesIntoTheOpenWizardOnOk)
{
    TempFolder root;
    const std::string chosen = root / "Backup";
    MakeFolders(chosen);
    TWizard wizard({text, result});
    wizard.SelectedFolder = "earlier";
    TfolderSelect picker(text, &wizard);
    picker.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    ClickFolder(picker, chosen, Qt::LeftButton);
    EXPECT_EQ(picker.SelectedPath(), chosen);
    EXPECT_EQ(wizard.SelectedFolder, "earlier") << "nothing is handed over before OK";
    Click(picker.Bmeta);
    EXPECT_EQ(wizard.SelectedFolder, chosen);
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

TEST_F(FolderPicker, WithNoWizardOpenOkStillCloses)
{
    ASSERT_EQ(OpenWizard(), nullptr);
    TfolderSelect picker(text);
    picker.show();
    Click(picker.Bmeta);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
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
        QTest::qWait(50);
        EXPECT_TRUE(picker.isVisible());
        checked = true;
        Click(picker.dxButton3);
    });
    TfolderSelect picker(text);
    EXPECT_EQ(picker.exec(), QDialog::Rejected);
    EXPECT_TRUE(checked);
}

TEST_F(FolderPicker, AQueuedAnswerActsAsTheButtonsWouldWithoutShowing)
{
    TWizard wizard({text, result});
    TfolderSelect::AnswerNextWithFolder("/srv/data");
    TfolderSelect::AnswerNextWithCancel();
    {
        TfolderSelect picker(text, &wizard);
        EXPECT_EQ(picker.exec(), QDialog::Accepted);
        EXPECT_FALSE(picker.isVisible());
        EXPECT_EQ(wizard.SelectedFolder, "/srv/data");
    }
    {
        TfolderSelect picker(text, &wizard);
        EXPECT_EQ(picker.exec(), QDialog::Rejected);
        EXPECT_EQ(wizard.SelectedFolder, "/srv/data");
    }
    EXPECT_EQ(TfolderSelect::QueuedAnswerCount(), 0);
}
