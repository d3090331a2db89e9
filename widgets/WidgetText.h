#pragma once

#include <QString>

#include <string>

// Program text is bytes in the system encoding (UTF-8); widgets hold QString. These are the one
// crossing, and it loses nothing: a byte that is not valid UTF-8 (a file name in another encoding)
// crosses as a character of its own that comes back as that byte, so text shown in a widget and
// read back, edited around or not, keeps every byte it had.
QString WidgetText(const std::string& text);
std::string SystemText(const QString& text);

// The text a label shows for a caption: "&&" shows one "&", a lone "&" marks an accelerator
// letter and is not shown (a label here has no control to hand the focus to).
QString LabelText(const std::string& caption);
