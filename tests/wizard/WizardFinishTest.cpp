#include "WizardTestSupport.h"

#include "wizardfrm/TWizard.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class WizardFinish : public WizardTestBase {
protected:
    // Walks a wizard to the name page with interval in Edit1 and presses Finish.
    void FinishWithInterval(const QString& interval)
    {
        TWizard wizard({text, result});
        wizard.Esource->setText(QStringLiteral("/data"));
        wizard.Edestination->setText(QStringLiteral("/backup"));
        wizard.Edit1->setText(interval);
        for (int i = 0; i < 5; ++i)
            wizard.BmetaClick();
        EXPECT_EQ(wizard.result(), QDialog::Accepted);
    }
};

} // namespace

TEST_F(WizardFinish, HandsBackTheFourTextsAndCloses)
{
    WhenWizardOpens([](TWizard& wizard) {
        FinishWizard(wizard, QStringLiteral("/home/ana/Έγγραφα"), QStringLiteral("/media/usb/Backup"),
                     QStringLiteral("60"), QStringLiteral("Docs"));
    });
    TWizard wizard({text, result});
    EXPECT_EQ(wizard.exec(), QDialog::Accepted);
    EXPECT_EQ(result.WizSource, "/home/ana/Έγγραφα");
    EXPECT_EQ(result.WizDestination, "/media/usb/Backup");
    EXPECT_EQ(result.WizInterval, "60");
    EXPECT_EQ(result.WizName, "Docs");
    EXPECT_FALSE(wizard.isVisible());
}

TEST_F(WizardFinish, ReadsTheIntervalAsAnIntegerOrTen)
{
    const std::pair<const char*, const char*> cases[] = {
        {"180", "180"}, {"042", "42"},     {"+7", "7"},          {"$B4", "180"},         {"0x1F", "31"},
        {"x1f", "31"},  {"12abc", "10"},   {"", "10"},           {"3000000000", "10"},   {"-5", "-5"},
        {" 12", "12"},  {"-2147483648", "-2147483648"},          {"2147483648", "10"},   {"$", "10"}};
    for (const auto& [typed, stored] : cases) {
        result.WizInterval = "unset";
        FinishWithInterval(QString::fromUtf8(typed));
        EXPECT_EQ(result.WizInterval, stored) << '"' << typed << '"';
    }
}

TEST_F(WizardFinish, AnEmptyNameGivesNoResult)
{
    result.WizName = "Earlier";
    WhenWizardOpens([](TWizard& wizard) {
        FinishWizard(wizard, QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("180"), QString());
    });
    TWizard wizard({text, result});
    wizard.exec();
    EXPECT_EQ(result.WizName, "");
    EXPECT_EQ(result.WizSource, "/a");
}

TEST_F(WizardFinish, CancelOnAnyPageClearsOnlyTheName)
{
    for (int page = 0; page <= 4; ++page) {
        result = {"old source", "old destination", "old name", "old interval"};
        WhenWizardOpens([page](TWizard& wizard) {
            // Type on every page up to this one, then cancel.
            TypeInto(wizard.Esource, QStringLiteral("/typed/source"));
            TypeInto(wizard.Edestination, QStringLiteral("/typed/destination"));
            TypeInto(wizard.Edit1, QStringLiteral("99"));
            TypeInto(wizard.Ename, QStringLiteral("Typed"));
            for (int i = 0; i < page; ++i)
                Click(wizard.Bmeta);
            EXPECT_EQ(wizard.WizardPage, page);
            Click(wizard.dxButton3);
        });
        TWizard wizard({text, result});
        EXPECT_EQ(wizard.exec(), QDialog::Rejected);
        EXPECT_EQ(result.WizName, "") << "page " << page;
        EXPECT_EQ(result.WizSource, "old source");
        EXPECT_EQ(result.WizDestination, "old destination");
        EXPECT_EQ(result.WizInterval, "old interval");
    }
}

TEST_F(WizardFinish, ClosingTheWindowAnyOtherWayCountsAsCancel)
{
    // The window system's close ends the modal loop without any button of the wizard; the caller
    // must not then read an earlier wizard's name as this one's.
    result = {"old source", "old destination", "Earlier", "old interval"};
    WhenWizardOpens([](TWizard& wizard) { wizard.close(); });
    TWizard wizard({text, result});
    EXPECT_EQ(wizard.exec(), QDialog::Rejected);
    EXPECT_EQ(result.WizName, "");
    EXPECT_EQ(result.WizSource, "old source");
}

TEST_F(WizardFinish, EnterAndEscapePressNothing)
{
    bool checked = false;
    WhenWizardOpens([&checked](TWizard& wizard) {
        wizard.Esource->setText(QStringLiteral("/a"));
        for (QWidget* target : {static_cast<QWidget*>(wizard.Bmeta), static_cast<QWidget*>(&wizard)}) {
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(target, key);
        }
        QCoreApplication::processEvents(); // handles what the keys queued
        EXPECT_TRUE(wizard.isVisible());
        EXPECT_EQ(wizard.WizardPage, 0);

        Click(wizard.Bmeta);
        wizard.Esource->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(wizard.Esource, key);
        QCoreApplication::processEvents(); // handles what the keys queued
        EXPECT_TRUE(wizard.isVisible());
        EXPECT_EQ(wizard.WizardPage, 1);
        EXPECT_EQ(wizard.Esource->text(), QStringLiteral("/a"));
        checked = true;
        Click(wizard.dxButton3);
    });
    TWizard wizard({text, result});
    wizard.exec();
    EXPECT_TRUE(checked);
}

TEST_F(WizardFinish, TheEditsNeverHoldAFieldSeparatorOrALineBreak)
{
    TWizard wizard({text, result});
    wizard.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&wizard));
    for (QLineEdit* edit : {wizard.Esource, wizard.Edestination, wizard.Edit1, wizard.Ename}) {
        // A folder keeps its ";" as typed, to be refused by name when the page is left.
        const bool folder = edit == wizard.Esource || edit == wizard.Edestination;
        edit->setVisible(true);
        edit->setEnabled(true);
        TypeInto(edit, QStringLiteral("a;b;;c"));
        EXPECT_EQ(edit->text(), folder ? QStringLiteral("a;b;;c") : QStringLiteral("abc")) << edit->objectName().toStdString();
        edit->clear();
        edit->insert(QStringLiteral("x\ny\r\nz") + QChar(u'\0') + QStringLiteral("w")); // as a paste inserts
        EXPECT_EQ(edit->text(), QStringLiteral("xyzw")) << edit->objectName().toStdString();
    }
    // The cursor stays after the character it followed.
    wizard.Ename->setText(QStringLiteral("ab"));
    wizard.Ename->setCursorPosition(1);
    QTest::keyClick(wizard.Ename, Qt::Key_Semicolon);
    QTest::keyClick(wizard.Ename, Qt::Key_X);
    EXPECT_EQ(wizard.Ename->text(), QStringLiteral("axb"));
}

TEST_F(WizardFinish, EachWizardRegistersItselfAsTheOpenOneForItsLife)
{
    EXPECT_EQ(OpenWizard(), nullptr);
    {
        TWizard outer({text, result});
        EXPECT_EQ(OpenWizard(), static_cast<FolderChoiceHolder*>(&outer));
        {
            TWizard inner({text, result});
            EXPECT_EQ(OpenWizard(), static_cast<FolderChoiceHolder*>(&inner));
        }
        EXPECT_EQ(OpenWizard(), static_cast<FolderChoiceHolder*>(&outer));
    }
    EXPECT_EQ(OpenWizard(), nullptr);
}
