#include "widgets/MessageBoxes.h"

#include "platform/Error.h"
#include "widgets/MessageBoxRehearsal.h"
#include "widgets/TitleBarButtons.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>

#include <optional>
#include <set>

MessageBoxRehearsal* MessageBoxes::s_rehearsal = nullptr;

namespace {

// The title and text of every box that is open or about to open.
std::set<std::string>& TextsOnScreen()
{
    static std::set<std::string> texts;
    return texts;
}

// The answer a test queued for the next box, if any.
std::optional<QMessageBox::StandardButton> RehearsedAnswer(MessageBoxRehearsal* rehearsal)
{
    if (!rehearsal)
        return std::nullopt;
    if (!rehearsal->answers.empty()) {
        const QMessageBox::StandardButton answer = rehearsal->answers.front();
        rehearsal->answers.pop_front();
        return answer;
    }
    if (rehearsal->unattended)
        return QMessageBox::NoButton;
    return std::nullopt;
}

// A box wraps its text at blanks and after "/" only, so a question about a long profile name
// without either would run past the screen's edge. A zero-width space every so many characters of
// such a run lets the line break there.
QString QuestionText(const std::string& text)
{
    constexpr int LongestUnbroken = 30;
    QString breakable;
    int run = 0;
    for (QChar c : QString::fromLocal8Bit(text)) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > LongestUnbroken) {
            breakable += QChar(0x200B);
            run = 1;
        }
        breakable += c;
    }
    return breakable;
}

void Record(MessageBoxRehearsal* rehearsal, const MessageBoxRehearsal::Shown& shown)
{
    if (rehearsal)
        rehearsal->shown.push_back(shown);
}

// A box that blocks only the window it belongs to, gone once closed, and that cannot be minimised
// out of sight while it blocks.
QMessageBox* NewBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                    QMessageBox::StandardButtons buttons, QWidget* parent)
{
    auto* box = new QMessageBox(icon, title, text, buttons, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    KeepMinimiseAndMaximiseOff(box);
    return box;
}

// The continuation of a command that asked: an error it raises is shown as a handler's would be.
void RunAnswer(QWidget* parent, const std::function<void()>& onYes)
{
    try {
        onYes();
    } catch (const std::exception& error) {
        MessageBoxes(parent).ShowError(error.what());
    }
}

void Ask(QWidget* parent, MessageBoxRehearsal* rehearsal, const QString& title, const std::string& text,
         QMessageBox::Icon icon, std::function<void()> onYes)
{
    const QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    Record(rehearsal, {title.toStdString(), text, icon, buttons});
    if (const auto answer = RehearsedAnswer(rehearsal)) {
        if (*answer == QMessageBox::Yes)
            RunAnswer(parent, onYes);
        return;
    }
    QMessageBox* box = NewBox(icon, title, QuestionText(text), buttons, parent);
    // Our boxes take the words of the program's own texts; Yes and No carry their accelerators.
    box->button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box->button(QMessageBox::No)->setText(QStringLiteral("&No"));
    box->setDefaultButton(QMessageBox::Yes);
    QObject::connect(box, &QDialog::finished, box, [box, parent, onYes = std::move(onYes)] {
        if (box->standardButton(box->clickedButton()) == QMessageBox::Yes)
            RunAnswer(parent, onYes);
    });
    box->open();
}

void Inform(QWidget* parent, MessageBoxRehearsal* rehearsal, const QString& title, const std::string& text,
            QMessageBox::Icon icon)
{
    const MessageBoxRehearsal::Shown shown{title.toStdString(), text, icon, QMessageBox::Ok};
    if (RehearsedAnswer(rehearsal)) {
        Record(rehearsal, shown);
        return;
    }
    const std::string key = shown.title + '\n' + shown.text;
    if (!TextsOnScreen().insert(key).second)
        return; // the same words are on screen already, waiting to be read
    Record(rehearsal, shown);
    const bool hasParent = parent != nullptr;
    QMetaObject::invokeMethod(
        qApp,
        [key, title, text, icon, hasParent, parent = QPointer<QWidget>(parent)] {
            if (hasParent && !parent) {
                TextsOnScreen().erase(key); // its window is gone, and what it said with it
                return;
            }
            QMessageBox* box = NewBox(icon, title, QString::fromLocal8Bit(text), QMessageBox::Ok, parent);
            box->setDefaultButton(QMessageBox::Ok);
            QObject::connect(box, &QObject::destroyed, [key] { TextsOnScreen().erase(key); });
            box->show();
        },
        Qt::QueuedConnection);
}

} // namespace

QString ApplicationTitle()
{
    return QStringLiteral("Dupliqa");
}

void MessageBoxes::ShowMessage(const std::string& text)
{
    Inform(m_parent, s_rehearsal, ApplicationTitle(), text, QMessageBox::NoIcon);
}

void MessageBoxes::Confirm(const std::string& question, std::function<void()> onYes)
{
    Ask(m_parent, s_rehearsal, QStringLiteral("Confirm"), question, QMessageBox::Question, std::move(onYes));
}

void MessageBoxes::AskInformation(const std::string& question, std::function<void()> onYes)
{
    Ask(m_parent, s_rehearsal, QStringLiteral("Information"), question, QMessageBox::Information, std::move(onYes));
}

void MessageBoxes::ShowError(const std::string& message)
{
    Inform(m_parent, s_rehearsal, ApplicationTitle(), StandardErrorText(message), QMessageBox::Critical);
}
