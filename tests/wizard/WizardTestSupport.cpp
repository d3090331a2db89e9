#include "WizardTestSupport.h"

#include "folderSelectfrm/TfolderSelect.h"
#include "profiles/Profiles.h"
#include "SystemSeams.h"
#include "TestSeams.h"
#include "wizardfrm/TWizard.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

void WizardTestBase::SetUp()
{
    SystemSeams::SetExeFolder(exeFolder.path());
    TestSeams::ClearBoxHistory();
    TestSeams::ClearPickerAnswers();
}

namespace {

// The drives of modal windows that the running test queued. Its TearDown answers for them: a drive
// that never ran fails that test, and whatever is still queued goes with its context, so that
// nothing runs or fails in a later test.
struct QueuedDrives {
    std::unique_ptr<QObject> context;
    int queued = 0;
    int ran = 0;
};

QueuedDrives& Drives()
{
    static QueuedDrives drives;
    if (!drives.context)
        drives.context = std::make_unique<QObject>();
    return drives;
}

void EndQueuedDrives()
{
    QueuedDrives& drives = Drives();
    EXPECT_EQ(drives.ran, drives.queued) << "the test ended before the modal window it meant to drive opened";
    drives.context.reset();
    drives.queued = drives.ran = 0;
}

} // namespace

void WizardTestBase::TearDown()
{
    EndQueuedDrives();
    CloseModalWindows();
    EXPECT_EQ(TestSeams::QueuedPickerAnswerCount(), 0) << "a queued picker answer was never used";
    TestSeams::ClearBoxHistory();
    TestSeams::ClearPickerAnswers();
}

ProfileCommandContext ProfileCommandsTestBase::Context()
{
    return {nullptr, text, result, table, count, list, dialogs};
}

void ProfileCommandsTestBase::WriteItems(const std::string& bytes)
{
    WriteFileBytes(ItemsFile(), bytes);
}

std::string ProfileCommandsTestBase::Items() const
{
    return ReadFileBytes(ItemsFile());
}

void ProfileCommandsTestBase::Run(void (*command)(const ProfileCommandContext&))
{
    command(Context());
    EXPECT_TRUE(WaitFor([] { return OpenWizard() == nullptr; }, 20000)) << "the wizard never closed";
}

void ProfileCommandsTestBase::Load()
{
    LoadProfiles(table, count, list, text);
}

namespace {

// Runs drive on the modal window of type Window as soon as there is one. If none comes, or the
// drive leaves it open, a watchdog closes it, so the test fails instead of hanging.
template <typename Window>
void WhenModalOpens(std::function<void(Window&)> drive)
{
    ++Drives().queued;
    QTimer::singleShot(0, Drives().context.get(), [drive] {
        ++Drives().ran;
        if (!WaitFor([] { return qobject_cast<Window*>(QApplication::activeModalWidget()) != nullptr; })) {
            ADD_FAILURE() << "the expected modal window never opened";
            return;
        }
        QPointer<Window> window = qobject_cast<Window*>(QApplication::activeModalWidget());
        drive(*window);
        QTimer::singleShot(5000, Drives().context.get(), [window] {
            if (window && window->isVisible()) {
                ADD_FAILURE() << "the modal window was left open";
                window->done(QDialog::Rejected);
            }
        });
    });
}

} // namespace

void WhenWizardOpens(std::function<void(TWizard&)> drive)
{
    WhenModalOpens<TWizard>(std::move(drive));
}

void WhenPickerOpens(std::function<void(TfolderSelect&)> drive)
{
    WhenModalOpens<TfolderSelect>(std::move(drive));
}

TWizard* OpenWizard()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* wizard = qobject_cast<TWizard*>(window); wizard && wizard->isVisible())
            return wizard;
    return nullptr;
}

void CloseModalWindows()
{
    for (int guard = 0; guard < 10; ++guard) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            break;
        dialog->done(QDialog::Rejected);
        QCoreApplication::processEvents();
    }
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds)
{
    return QTest::qWaitFor(condition, milliseconds);
}

void Click(QWidget* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

void TypeInto(QWidget* edit, const QString& text)
{
    auto* line = qobject_cast<QLineEdit*>(edit);
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Delete);
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(line, c.toLatin1());
            continue;
        }
        // QTest knows key codes for ASCII only; other letters arrive as the text of a key event.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(line, &press);
        QApplication::sendEvent(line, &release);
    }
}

void WalkToNamePage(TWizard& wizard, const QString& source, const QString& destination)
{
    Click(wizard.Bmeta);
    TypeInto(wizard.Esource, source);
    Click(wizard.Bmeta);
    TypeInto(wizard.Edestination, destination);
    Click(wizard.Bmeta);
    Click(wizard.Bmeta);
}

void FinishWizard(TWizard& wizard, const QString& source, const QString& destination, const QString& interval,
                  const QString& name)
{
    Click(wizard.Bmeta);
    TypeInto(wizard.Esource, source);
    Click(wizard.Bmeta);
    TypeInto(wizard.Edestination, destination);
    Click(wizard.Bmeta);
    TypeInto(wizard.Edit1, interval);
    Click(wizard.Bmeta);
    TypeInto(wizard.Ename, name);
    Click(wizard.Bmeta);
}

std::string Bytes(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}
