#include "widgets/WidgetText.h"

QString WidgetText(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string SystemText(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

QString LabelText(const std::string& caption)
{
    std::string shown;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            shown += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            shown += '&';
            ++i;
        }
    }
    return WidgetText(shown);
}
