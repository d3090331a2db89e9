#include "widgets/MessageBoxes.h"

#include "platform/Error.h"

#include <QAbstractButton>
#include <QApplication>

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

bool& Unattended()
{
    static bool unattended = false;
    return unattended;
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

QMessageBox::StandardButton MessageBoxes::Show(const QString& title, const std::string& text, QMessageBox::Icon icon,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton fallback)
{
    ShownBoxes().push_back({title.toStdString(), text, icon, buttons});
    if (!QueuedAnswers().empty()) {
        const auto answer = QueuedAnswers().front();
        QueuedAnswers().pop_front();
        return answer;
    }
    if (Unattended())
        return buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    QMessageBox box(icon, title, QString::fromLocal8Bit(text), buttons, m_parent);
    // Our boxes take the words of the program's own texts; Yes and No carry their accelerators.
    if (auto* yes = box.button(QMessageBox::Yes))
        yes->setText(QStringLiteral("&Yes"));
    if (auto* no = box.button(QMessageBox::No))
        no->setText(QStringLiteral("&No"));
    box.setDefaultButton(fallback);
    const int result = box.exec();
    return static_cast<QMessageBox::StandardButton>(result);
}

void MessageBoxes::ShowMessage(const std::string& text)
{
    Show(ApplicationTitle(), text, QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBoxes::Confirm(const std::string& question)
{
    return Show(QStringLiteral("Confirm"), question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes) == QMessageBox::Yes;
}

bool MessageBoxes::AskInformation(const std::string& question)
{
    return Show(QStringLiteral("Information"), question, QMessageBox::Information,
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

void MessageBoxes::ShowError(const std::string& message)
{
    Show(ApplicationTitle(), StandardErrorText(message), QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok);
}
