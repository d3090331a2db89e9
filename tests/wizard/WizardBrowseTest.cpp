#include "WizardTestSupport.h"

#include "folderSelectfrm/FolderTreeModel.h"
#include "folderSelectfrm/TfolderSelect.h"
#include "platform/Error.h"
#include "TestSeams.h"
#include "wizardfrm/TWizard.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace {

class WizardBrowse : public WizardTestBase {
protected:
    // A shown wizard on the source page, with text already in both folder edits.
    void OpenOnSourcePage(TWizard& wizard)
    {
        wizard.Esource->setText(QStringLiteral("/before/source"));
        wizard.Edestination->setText(QStringLiteral("/before/destination"));
        wizard.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
        Click(wizard.Bmeta);
    }
};

int PickersAlive(TWizard& wizard)
{
    return static_cast<int>(wizard.findChildren<TfolderSelect*>().size());
}

} // namespace

TEST_F(WizardBrowse, OkPutsThePickedFolderIntoTheMatchingEdit)
{
    TWizard wizard({text, result});
    OpenOnSourcePage(wizard);
    TestSeams::AnswerNextPickerWithFolder("/home/ana/Έγγραφα");
    Click(wizard.BrowseBtn);
    EXPECT_EQ(Bytes(wizard.Esource->text()), "/home/ana/Έγγραφα");
    EXPECT_EQ(wizard.Edestination->text(), QStringLiteral("/before/destination"));

    Click(wizard.Bmeta);
    TestSeams::AnswerNextPickerWithFolder("/media/usb");
    Click(wizard.BrowseBtn2);
    EXPECT_EQ(wizard.Edestination->text(), QStringLiteral("/media/usb"));
    EXPECT_EQ(Bytes(wizard.Esource->text()), "/home/ana/Έγγραφα");
    EXPECT_TRUE(WaitFor([&] { return PickersAlive(wizard) == 0; }));
}

TEST_F(WizardBrowse, CancelLeavesTheEditAndOkWithNothingSelectedEmptiesIt)
{
    TWizard wizard({text, result});
    OpenOnSourcePage(wizard);
    TestSeams::AnswerNextPickerWithCancel();
    Click(wizard.BrowseBtn);
    EXPECT_EQ(wizard.Esource->text(), QStringLiteral("/before/source"));

    TestSeams::AnswerNextPickerWithFolder("");
    Click(wizard.BrowseBtn);
    EXPECT_EQ(wizard.Esource->text(), QString());
}

TEST_F(WizardBrowse, AFolderWhosePathCannotBeStoredIsRefusedWithAMessage)
{
    TWizard wizard({text, result});
    OpenOnSourcePage(wizard);
    for (const std::string folder : {"/data/a;b", "/data/two\nlines", "/data/cr\rhere"}) {
        TestSeams::ClearBoxHistory();
        TestSeams::SetNextAnswer(QMessageBox::Ok);
        TestSeams::AnswerNextPickerWithFolder(folder);
        Click(wizard.BrowseBtn);
        EXPECT_EQ(wizard.Esource->text(), QStringLiteral("/before/source"));
        ASSERT_EQ(TestSeams::BoxHistory().size(), 1u);
        EXPECT_EQ(TestSeams::BoxHistory()[0].text, FormatMessage(text[UiKey::Mfoldersemicolon], folder));
        EXPECT_NE(TestSeams::BoxHistory()[0].text.find(folder), std::string::npos);
        EXPECT_EQ(TestSeams::BoxHistory()[0].text.rfind("Ο φάκελος ", 0), 0u) << "in the interface's Greek";
    }
}

TEST_F(WizardBrowse, EachBrowseOpensAFreshCollapsedPickerOwnedByTheWizardAndCancelKeepsTheEdit)
{
    TWizard wizard({text, result});
    OpenOnSourcePage(wizard);
    std::vector<QTreeView*> treesSeen;
    for (int round = 0; round < 2; ++round) {
        bool driven = false;
        WhenPickerOpens([&](TfolderSelect& picker) {
            EXPECT_EQ(picker.parentWidget(), &wizard);
            EXPECT_TRUE(picker.isModal());
            const QAbstractItemModel* model = picker.ShellTreeView1->model();
            ASSERT_GE(model->rowCount(), 1);
            EXPECT_FALSE(picker.ShellTreeView1->isExpanded(model->index(0, 0)));
            EXPECT_TRUE(picker.ShellTreeView1->selectionModel()->selectedRows().isEmpty());
            treesSeen.push_back(picker.ShellTreeView1);
            // Expand the root, as a user would, so the next picker can show it starts collapsed again.
            picker.ShellTreeView1->expand(model->index(0, 0));
            driven = true;
            Click(picker.dxButton3);
        });
        Click(wizard.BrowseBtn);
        EXPECT_TRUE(WaitFor([&] { return PickersAlive(wizard) == 0; })) << "the picker is destroyed after use";
        EXPECT_TRUE(driven);
        EXPECT_EQ(wizard.Esource->text(), QStringLiteral("/before/source"));
    }
}

TEST_F(WizardBrowse, OkInTheRealPickerWithNothingSelectedEmptiesTheEdit)
{
    TWizard wizard({text, result});
    OpenOnSourcePage(wizard);
    WhenPickerOpens([](TfolderSelect& picker) { Click(picker.Bmeta); });
    Click(wizard.BrowseBtn);
    ASSERT_TRUE(WaitFor([&] { return PickersAlive(wizard) == 0; }));
    EXPECT_EQ(wizard.Esource->text(), QString());
}

TEST_F(WizardBrowse, TheRealPickerReturnsARealFolderChosenInItsTree)
{
    TempFolder root;
    const std::string chosen = root / "Φάκελος δοκιμής";
    MakeFolders(chosen);
    TWizard wizard({text, result});
    OpenOnSourcePage(wizard);
    Click(wizard.Bmeta); // the destination page
    WhenPickerOpens([&](TfolderSelect& picker) {
        auto* model = qobject_cast<FolderTreeModel*>(picker.ShellTreeView1->model());
        QPersistentModelIndex index;
        ASSERT_TRUE(WaitFor([&] { return (index = model->IndexOf(chosen)).isValid(); }));
        picker.ShellTreeView1->scrollTo(index); // opens the folders above it, as clicks on them would
        ASSERT_TRUE(WaitFor([&] { return !picker.ShellTreeView1->visualRect(index).isEmpty(); }));
        QTest::mouseClick(picker.ShellTreeView1->viewport(), Qt::LeftButton, {},
                          picker.ShellTreeView1->visualRect(index).center());
        EXPECT_EQ(picker.SelectedPath(), chosen);
        Click(picker.Bmeta);
    });
    Click(wizard.BrowseBtn2);
    ASSERT_TRUE(WaitFor([&] { return PickersAlive(wizard) == 0; }));
    EXPECT_EQ(Bytes(wizard.Edestination->text()), chosen);
    EXPECT_EQ(wizard.SelectedFolder, chosen);
    EXPECT_EQ(wizard.Esource->text(), QStringLiteral("/before/source"));
}
