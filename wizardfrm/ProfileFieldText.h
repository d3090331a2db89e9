#pragma once

#include <QValidator>

#include <string>

// Characters that a field of Items.txt can never hold: ";" separates the fields, CR and LF end
// the line, and NUL ends the text of the whole file when it is read back.
bool FitsProfileField(const std::string& text);

// text without those characters.
QString WithoutFieldBreaks(const QString& text);

// The wizard's edits take this validator, which drops those characters from whatever is typed,
// pasted or set, so the user sees at once what will be stored.
class ProfileFieldValidator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};
