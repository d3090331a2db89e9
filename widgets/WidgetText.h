#pragma once

#include <QString>

#include <string>

// Program text is bytes in the system encoding; widgets hold QString. These are the one crossing.
QString WidgetText(const std::string& text);
std::string SystemText(const QString& text);

// The text a label shows for a caption: "&&" shows one "&", a lone "&" marks an accelerator
// letter and is not shown (a label here has no control to hand the focus to).
QString LabelText(const std::string& caption);
