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

QValidator::State ProfileFieldValidator::validate(QString& input, int& position) const
{
    // The cursor stays behind the same character it followed before the drop.
    int removedBeforeCursor = 0;
    for (int i = 0; i < position && i < input.size(); ++i)
        if (IsFieldBreak(input[i]))
            ++removedBeforeCursor;
    input = WithoutFieldBreaks(input);
    position -= removedBeforeCursor;
    return Acceptable;
}
