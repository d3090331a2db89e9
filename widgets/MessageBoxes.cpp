#include "widgets/MessageBoxes.h"

#include "platform/Error.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>

#include <set>

namespace {

std::deque<QMessageBox::StandardButton>& QueuedAnswers()
{
    static std::deque<QMessageBox::StandardButton> answers;
    return answers;
}

std::vector<MessageBoxes::Shown>& ShownBoxes()
{
    static std::vector<MessageBoxes::Shown> shown;
    return shown;
}

// The title and text of every box that is open or about to open.
std::set<std::string>& TextsOnScreen()
{
    static std::set<std::string> texts;
    return texts;
}

bool& Unattended()
{
    static bool unattended = false;
    return unattended;
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

} // namespace

void MessageBoxes::SetUnattendedForTesting(bool unattended)
{
    Unattended() = unattended;
}

QString ApplicationTitle()
{
    return QStringLiteral("Dupliqa");
}

void MessageBoxes::SetNextAnswer(QMessageBox::StandardButton answer)
{
    QueuedAnswers().push_back(answer);
}

const std::vector<MessageBoxes::Shown>& MessageBoxes::History()
{
    return ShownBoxes();
}

void MessageBoxes::ClearHistory()
{
    ShownBoxes().clear();
    QueuedAnswers().clear();
}

QMessageBox::StandardButton MessageBoxes::Ask(const QString& title, const std::string& text, QMessageBox::Icon icon)
{
    const QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    ShownBoxes().push_back({title.toStdString(), text, icon, buttons});
    if (!QueuedAnswers().empty()) {
        const auto answer = QueuedAnswers().front();
        QueuedAnswers().pop_front();
        return answer;
    }
    if (Unattended())
        return QMessageBox::No;
    QMessageBox box(icon, title, QuestionText(text), buttons, m_parent);
    box.setWindowModality(Qt::WindowModal);
    // Our boxes take the words of the program's own texts; Yes and No carry their accelerators.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    box.setDefaultButton(QMessageBox::Yes);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBoxes::Inform(const QString& title, const std::string& text, QMessageBox::Icon icon)
{
    const Shown shown{title.toStdString(), text, icon, QMessageBox::Ok};
    if (!QueuedAnswers().empty() || Unattended()) {
        ShownBoxes().push_back(shown);
        if (!QueuedAnswers().empty())
            QueuedAnswers().pop_front();
        return;
    }
    const std::string key = shown.title + '\n' + shown.text;
    if (!TextsOnScreen().insert(key).second)
        return; // the same words are on screen already, waiting to be read
    ShownBoxes().push_back(shown);
    const bool hasParent = m_parent != nullptr;
    QMetaObject::invokeMethod(
        qApp,
        [key, title, text, icon, hasParent, parent = QPointer<QWidget>(m_parent)] {
            if (hasParent && !parent) {
                TextsOnScreen().erase(key); // its window is gone, and what it said with it
                return;
            }
            auto* box = new QMessageBox(icon, title, QString::fromLocal8Bit(text), QMessageBox::Ok, parent);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setWindowModality(Qt::WindowModal);
            box->setDefaultButton(QMessageBox::Ok);
            QObject::connect(box, &QObject::destroyed, [key] { TextsOnScreen().erase(key); });
            box->show();
        },
        Qt::QueuedConnection);
}

void MessageBoxes::ShowMessage(const std::string& text)
{
    Inform(ApplicationTitle(), text, QMessageBox::NoIcon);
}

bool MessageBoxes::Confirm(const std::string& question)
{
    return Ask(QStringLiteral("Confirm"), question, QMessageBox::Question) == QMessageBox::Yes;
}

bool MessageBoxes::AskInformation(const std::string& question)
{
    return Ask(QStringLiteral("Information"), question, QMessageBox::Information) == QMessageBox::Yes;
}

void MessageBoxes::ShowError(const std::string& message)
{
    Inform(ApplicationTitle(), StandardErrorText(message), QMessageBox::Critical);
}
