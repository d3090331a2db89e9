#pragma once

#include <QValidator>

#include <string>

// Characters that a field of Items.txt can never hold: ";" separates the fields, CR and LF end
// the line, and NUL ends the text of the whole file when it is read back.
bool FitsProfileField(const std::string& text);

// text without those characters.
QString WithoutFieldBreaks(const QString& text);

// The wizard's edits take this validator, which drops those characters from whatever is typed,
// pasted or set, so the user sees at once what will be stored. A folder edit keeps a ";": dropping
// it would name another folder, so the wizard refuses such a folder with a message instead.
class ProfileFieldValidator : public QValidator {
    Q_OBJECT

public:
    enum class Field { Text, Folder };
    ProfileFieldValidator(Field field, QObject* parent);
    State validate(QString& input, int& position) const override;

private:
    bool dropped(QChar c) const;

    Field m_field;
};
