#include "WizardTestSupport.h"

#include "folderSelectfrm/TfolderSelect.h"
#include "platform/Error.h"
#include "TestSeams.h"
#include "wizardfrm/TWizard.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace {

class ProfileCommands : public ProfileCommandsTestBase {
protected:
    // Lines of Items.txt: "Name;Source;Destination;Interval" for names first to last.
    static std::string Lines(int first, int last)
    {
        std::string bytes;
        for (int n = first; n <= last; ++n)
            bytes += "P" + std::to_string(n) + ";/s" + std::to_string(n) + ";/d" + std::to_string(n) + ";60\r\n";
        return bytes;
    }

    // Runs command, which may not open a wizard. One that does is closed again.
    bool OpensAWizard(void (*command)(const ProfileCommandContext&))
    {
        command(Context());
        TWizard* wizard = OpenWizard();
        if (wizard)
            wizard->dxButton3Click();
        return wizard != nullptr;
    }
};

// Presses Finish on the name page without changing anything the wizard was opened with.
void FinishUnchanged(TWizard& wizard)
{
    for (int i = 0; i < 5; ++i)
        Click(wizard.Bmeta);
}

} // namespace

TEST_F(ProfileCommands, NewAppendsTheWizardsLineAndReloads)
{
    WriteItems("Docs;/home/ana/Docs;/media/usb;180\r\n");
    Load();
    WhenWizardOpens([](TWizard& wizard) {
        EXPECT_EQ(wizard.Ename->text(), QStringLiteral("NewProfile1"));
        EXPECT_EQ(wizard.Edit1->text(), QStringLiteral("180"));
        EXPECT_EQ(wizard.Esource->text(), QString());
        FinishWizard(wizard, QStringLiteral("/home/ana/Μουσική"), QStringLiteral("/media/usb/Backup"),
                     QStringLiteral("$3C"), QStringLiteral("Μουσική"));
    });
    NewProfileCommand(Context());
    ASSERT_NE(OpenWizard(), nullptr) << "New returns while its wizard waits";
    NewProfileCommand(Context()); // brings the open wizard to the front instead of opening another
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return qobject_cast<TWizard*>(w); }), 1);
    ASSERT_TRUE(WaitFor([] { return OpenWizard() == nullptr; }));
    EXPECT_EQ(Items(), "Docs;/home/ana/Docs;/media/usb;180\r\nΜουσική;/home/ana/Μουσική;/media/usb/Backup;60\r\n");
    EXPECT_EQ(count, 2);
    EXPECT_EQ(list.captions, (std::vector<std::string>{"Docs", "Μουσική"}));
    EXPECT_EQ(table[2].Interval.ToText(), "60");
    EXPECT_EQ(list.countText, "2  Προφίλ(ς)");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProfileCommands, NewCancelledOrWithoutANameChangesNothing)
{
    const std::string before = "Docs;/a;/b;180\r\n";
    WriteItems(before);
    Load();
    list.captions.push_back("marker: no reload happened");
    WhenWizardOpens([](TWizard& wizard) {
        TypeInto(wizard.Ename, QStringLiteral("Typed"));
        Click(wizard.dxButton3);
    });
    Run(NewProfileCommand);
    WhenWizardOpens([](TWizard& wizard) {
        FinishWizard(wizard, QStringLiteral("/x"), QStringLiteral("/y"), QStringLiteral("5"), QString());
    });
    Run(NewProfileCommand);
    EXPECT_EQ(Items(), before);
    EXPECT_EQ(list.captions.size(), 2u);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProfileCommands, NewRefusesANameInUseComparingAsciiCaseOnly)
{
    const std::string before = "NewProfile1;/a;/b;180\r\nDocs;/c;/d;180\r\nέγγραφα;/e;/f;180\r\n";
    WriteItems(before);
    Load();
    // The wizard's default name, and a name differing only in ASCII case, are both in use.
    for (const QString& name : {QStringLiteral("NewProfile1"), QStringLiteral("dOCS")}) {
        dialogs.messages.clear();
        WhenWizardOpens([name](TWizard& wizard) {
            FinishWizard(wizard, QStringLiteral("/x"), QStringLiteral("/y"), QStringLiteral("1"), name);
        });
        Run(NewProfileCommand);
        EXPECT_EQ(Items(), before) << Bytes(name);
        EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Υπάρχει ήδη το προφίλ"})) << Bytes(name);
    }
    // Greek letters must match exactly: a name differing only in their case is new.
    dialogs.messages.clear();
    WhenWizardOpens([](TWizard& wizard) {
        FinishWizard(wizard, QStringLiteral("/x"), QStringLiteral("/y"), QStringLiteral("1"),
                     QStringLiteral("ΈΓΓΡΑΦΑ"));
    });
    Run(NewProfileCommand);
    EXPECT_EQ(Items(), before + "ΈΓΓΡΑΦΑ;/x;/y;1\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(count, 4);
}

TEST_F(ProfileCommands, NewIsRefusedWhenTheTableIsFullAndWritesNothing)
{
    WriteItems(Lines(1, 100));
    Load();
    ASSERT_EQ(count, MaxProfiles);
    // A language file's text for the refusal is the one shown.
    text[UiKey::Mprofilelimit] = "Full: %s lines";
    EXPECT_FALSE(OpensAWizard(&NewProfileCommand));
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Full: 100 lines"}));
    text = UiText::BuiltIn();
    EXPECT_EQ(Items(), Lines(1, 100));

    // A file longer than the table: the lines past it stay as they are, and the refusal, in the
    // interface's Greek, counts them too, since deleting one profile makes no room there.
    dialogs.messages.clear();
    WriteItems(Lines(1, 150));
    Load();
    EXPECT_FALSE(OpensAWizard(&NewProfileCommand));
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{
                                    "Δεν μπορεί να προστεθεί νέο προφίλ: το αρχείο Items.txt έχει ήδη 150 προφίλ και το "
                                    "πρόγραμμα κρατά έως 100. Διαγράψτε προφίλ ώστε να μείνουν λιγότερα από 100."}));
    EXPECT_EQ(Items(), Lines(1, 150));
}

TEST_F(ProfileCommands, NewIsRefusedWhenTheFileFilledUpSinceTheLastLoad)
{
    WriteItems(Lines(1, 99));
    Load();
    WriteItems(Lines(1, 100));
    WhenWizardOpens([](TWizard& wizard) {
        FinishWizard(wizard, QStringLiteral("/x"), QStringLiteral("/y"), QStringLiteral("1"), QStringLiteral("Late"));
    });
    Run(NewProfileCommand);
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{FormatMessage(text[UiKey::Mprofilelimit], "100")}));
    EXPECT_EQ(Items(), Lines(1, 100));
}

TEST_F(ProfileCommands, NewReportsAnUnreadableListAndDoesNotReload)
{
    WriteItems("Docs;/a;/b;180\r\n");
    Load();
    std::filesystem::remove(ItemsFile());
    std::filesystem::create_directory(ItemsFile()); // a folder where the file should be
    WhenWizardOpens([](TWizard& wizard) {
        FinishWizard(wizard, QStringLiteral("/x"), QStringLiteral("/y"), QStringLiteral("1"), QStringLiteral("New"));
    });
    Run(NewProfileCommand);
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"Cannot open file " + ItemsFile()});
    EXPECT_EQ(list.captions, (std::vector<std::string>{"Docs"}));
    EXPECT_EQ(count, 1);
}

TEST_F(ProfileCommands, EditWithoutASelectionSaysSo)
{
    WriteItems("Docs;/a;/b;180\r\n");
    Load();
    EXPECT_FALSE(OpensAWizard(&EditProfileCommand));
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Δεν έχετε επιλέξει τίποτα"}));
    EXPECT_EQ(Items(), "Docs;/a;/b;180\r\n");
}

TEST_F(ProfileCommands, EditUnchangedMovesTheLineToTheEndAndKeepsItsInterval)
{
    WriteItems("Docs;/home/ana/Docs;/media/usb;45\r\nMusic;/m;/n; 90.0 \r\n");
    Load();
    list.Select(0);
    WhenWizardOpens([](TWizard& wizard) {
        EXPECT_EQ(wizard.Esource->text(), QStringLiteral("/home/ana/Docs"));
        EXPECT_EQ(wizard.Edestination->text(), QStringLiteral("/media/usb"));
        EXPECT_EQ(wizard.Ename->text(), QStringLiteral("Docs"));
        EXPECT_EQ(wizard.Edit1->text(), QStringLiteral("45"));
        FinishUnchanged(wizard);
    });
    Run(EditProfileCommand);
    EXPECT_EQ(Items(), "Music;/m;/n; 90.0 \r\nDocs;/home/ana/Docs;/media/usb;45\r\n");
    EXPECT_EQ(list.captions, (std::vector<std::string>{"Music", "Docs"}));
    EXPECT_EQ(table[2].Interval.ToText(), "45");
    // An interval the box would not read back as it stands (the scheduler reads it as 90) stays as stored.
    list.Select(0);
    WhenWizardOpens([](TWizard& wizard) { FinishUnchanged(wizard); });
    Run(EditProfileCommand);
    EXPECT_EQ(Items(), "Docs;/home/ana/Docs;/media/usb;45\r\nMusic;/m;/n; 90.0 \r\n");
}

TEST_F(ProfileCommands, EditKeepsEveryByteOfTextThatIsNotUtf8)
{
    // Fields longer than a line edit takes by default, written by another program, are kept whole too.
    const std::string longLine = std::string(40000, 'n') + ";/" + std::string(40000, 's') + ";/d;5\r\n";
    const std::string line = "Caf\xE9;/tmp/x/caf\xE9src;/media/b\xFF\xFE;45\r\n";
    for (const std::string& kept : {longLine, line}) {
        WriteItems(kept);
        Load();
        list.Select(0);
        WhenWizardOpens([](TWizard& wizard) { FinishUnchanged(wizard); });
        Run(EditProfileCommand);
        EXPECT_EQ(Items(), kept);
    }

    // What the user types goes in as UTF-8; the bytes around it stay as they were.
    list.Select(0);
    WhenWizardOpens([](TWizard& wizard) {
        for (int page = 0; page < 4; ++page)
            Click(wizard.Bmeta);
        wizard.Ename->end(false);
        QTest::keyClicks(wizard.Ename, QStringLiteral(" 2"));
        Click(wizard.Bmeta);
    });
    Run(EditProfileCommand);
    EXPECT_EQ(Items(), "Caf\xE9 2;/tmp/x/caf\xE9src;/media/b\xFF\xFE;45\r\n");
    EXPECT_EQ(list.captions, (std::vector<std::string>{"Caf\xE9 2"}));
}

TEST_F(ProfileCommands, EditCancelledChangesNothing)
{
    const std::string before = "Docs;/a;/b;45\r\nMusic;/m;/n;180\r\n";
    WriteItems(before);
    Load();
    list.Select(0);
    WhenWizardOpens([](TWizard& wizard) {
        TypeInto(wizard.Ename, QStringLiteral("Renamed"));
        Click(wizard.dxButton3);
    });
    Run(EditProfileCommand);
    EXPECT_EQ(Items(), before);
}

TEST_F(ProfileCommands, EditOntoAnotherNameIsAcceptedAndLaterEditsTakeTheFirstOfThatName)
{
    WriteItems("Docs;/a;/b;1\r\nMusic;/m;/n;2\r\nPhotos;/p;/q;3\r\n");
    Load();
    list.Select(2); // Photos
    WhenWizardOpens([](TWizard& wizard) {
        WalkToNamePage(wizard, QStringLiteral("/p"), QStringLiteral("/q"));
        TypeInto(wizard.Ename, QStringLiteral("docs"));
        Click(wizard.Bmeta);
    });
    Run(EditProfileCommand);
    EXPECT_EQ(Items(), "Docs;/a;/b;1\r\nMusic;/m;/n;2\r\ndocs;/p;/q;3\r\n");
    EXPECT_TRUE(dialogs.messages.empty());

    // Either item of that name edits the first profile named so, the original Docs.
    for (size_t item : {size_t{2}, size_t{0}}) {
        WriteItems("Docs;/a;/b;1\r\nMusic;/m;/n;2\r\ndocs;/p;/q;3\r\n");
        Load();
        list.Select(item);
        WhenWizardOpens([](TWizard& wizard) {
            EXPECT_EQ(wizard.Esource->text(), QStringLiteral("/a"));
            EXPECT_EQ(wizard.Edit1->text(), QStringLiteral("1"));
            FinishUnchanged(wizard);
        });
        Run(EditProfileCommand);
        EXPECT_EQ(Items(), "Music;/m;/n;2\r\ndocs;/p;/q;3\r\nDocs;/a;/b;1\r\n") << "item " << item;
    }
}

TEST_F(ProfileCommands, ItemsChangedByAnotherProgramWhileTheWizardIsOpenKeepsEveryOtherProfile)
{
    // Meanwhile a line above the edited one, the edited profile changed, or it removed; last, a New whose
    // name another program took meanwhile.
    const std::vector<std::pair<std::string, std::string>> cases{
        {"Z;/z;/y;3\r\nA;/a;/b;1\r\nB;/c;/d;2\r\n", "Z;/z;/y;3\r\nA;/a;/b;1\r\nB;/c;/d;2\r\n"},
        {"B;/c;/d;9\r\nA;/a;/b;1\r\n", "A;/a;/b;1\r\nB;/c;/d;2\r\n"},
        {"A;/a;/b;1\r\n", "A;/a;/b;1\r\nB;/c;/d;2\r\n"},
    };
    for (const auto& [meanwhile, expected] : cases) {
        WriteItems("A;/a;/b;1\r\nB;/c;/d;2\r\n");
        Load();
        list.Select(1);
        WhenWizardOpens([this, meanwhile = meanwhile](TWizard& wizard) {
            WriteItems(meanwhile);
            FinishUnchanged(wizard);
        });
        Run(EditProfileCommand);
        EXPECT_EQ(Items(), expected) << meanwhile;
    }

    WhenWizardOpens([this](TWizard& wizard) {
        WriteItems("A;/a;/b;1\r\nnewprofile1;/n;/m;5\r\n");
        FinishWizard(wizard, QStringLiteral("/s"), QStringLiteral("/d"), QStringLiteral("60"),
                     QStringLiteral("NewProfile1"));
    });
    Run(NewProfileCommand);
    EXPECT_EQ(Items(), "A;/a;/b;1\r\nnewprofile1;/n;/m;5\r\n");
    EXPECT_EQ(dialogs.messages.back(), "Υπάρχει ήδη το προφίλ");
}

TEST_F(ProfileCommands, EditOfACaptionThatNamesNoProfileDoesNothing)
{
    const std::string before = "Docs;/a;/b;1\r\n";
    WriteItems(before);
    Load();
    list.captions[0] = "Renamed in place";
    list.Select(0);
    EXPECT_FALSE(OpensAWizard(&EditProfileCommand));
    EXPECT_EQ(Items(), before);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ProfileCommands, EditInAFileLongerThanTheTableKeepsTheProfileWhereItLoads)
{
    WriteItems(Lines(1, 120));
    Load();
    list.Select(4); // P5
    WhenWizardOpens([](TWizard& wizard) {
        WalkToNamePage(wizard, QStringLiteral("/s5"), QStringLiteral("/elsewhere"));
        Click(wizard.Bmeta);
    });
    Run(EditProfileCommand);
    std::string expected = Lines(1, 4) + "P5;/s5;/elsewhere;60\r\n" + Lines(6, 120);
    EXPECT_EQ(Items(), expected);
    EXPECT_EQ(count, MaxProfiles);
    EXPECT_EQ(table[5].Destination.ToText(), "/elsewhere");
}

TEST_F(ProfileCommands, AFieldSeparatorNeverReachesTheList)
{
    WriteItems("");
    Load();
    TestSeams::SetNextAnswer(QMessageBox::Ok);
    TestSeams::SetNextAnswer(QMessageBox::Ok);
    TestSeams::AnswerNextPickerWithFolder("/data/with;separator");
    WhenWizardOpens([](TWizard& wizard) {
        Click(wizard.Bmeta);
        TypeInto(wizard.Esource, QStringLiteral("/typed;source"));
        Click(wizard.BrowseBtn); // a picked folder holding ";" is refused
        EXPECT_EQ(wizard.Esource->text(), QStringLiteral("/typed;source"));
        Click(wizard.Bmeta); // and so is a typed one, until it is changed
        TypeInto(wizard.Esource, QStringLiteral("/typedsource"));
        Click(wizard.Bmeta);
        TypeInto(wizard.Edestination, QStringLiteral("/dest"));
        Click(wizard.Bmeta);
        TypeInto(wizard.Edit1, QStringLiteral("3;0"));
        Click(wizard.Bmeta);
        TypeInto(wizard.Ename, QStringLiteral("a;b"));
        Click(wizard.Bmeta);
    });
    Run(NewProfileCommand);
    EXPECT_EQ(Items(), "ab;/typedsource;/dest;30\r\n");
    EXPECT_EQ(TestSeams::BoxHistory().size(), 2u);
}
