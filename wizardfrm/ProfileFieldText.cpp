#include "wizardfrm/ProfileFieldText.h"

namespace {

bool IsFieldBreak(QChar c)
{
    return c == u';' || c == u'\r' || c == u'\n' || c == QChar(u'\0');
}

bool IsFieldBreak(char c)
{
    return c == ';' || c == '\r' || c == '\n' || c == '\0';
}

} // namespace

bool FitsProfileField(const std::string& text)
{
    for (char c : text)
        if (IsFieldBreak(c))
            return false;
    return true;
}

QString WithoutFieldBreaks(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text)
        if (!IsFieldBreak(c))
            kept += c;
    return kept;
}

ProfileFieldValidator::ProfileFieldValidator(Field field, QObject* parent) : QValidator(parent), m_field(field)
{
}

bool ProfileFieldValidator::dropped(QChar c) const
{
    return IsFieldBreak(c) && !(m_field == Field::Folder && c == u';');
}

QValidator::State ProfileFieldValidator::validate(QString& input, int& position) const
{
    // The cursor stays behind the same character it followed before the drop.
    QString kept;
    int removedBeforeCursor = 0;
    for (int i = 0; i < input.size(); ++i) {
        if (!dropped(input[i]))
            kept += input[i];
        else if (i < position)
            ++removedBeforeCursor;
    }
    input = kept;
    position -= removedBeforeCursor;
    return Acceptable;
}
