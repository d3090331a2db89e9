#include "widgets/WidgetText.h"

#include <string_view>

namespace {

// A byte that is no part of valid UTF-8 crosses as the lone low surrogate U+DC00 + byte. No valid
// UTF-8 decodes to a lone surrogate, so the way back knows these for what they are.
constexpr char16_t EscapedByteBase = 0xDC00;

bool IsEscapedByte(char16_t unit)
{
    return unit >= EscapedByteBase + 0x80 && unit <= EscapedByteBase + 0xFF;
}

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at the start of bytes, 0 when there is none: no
// overlong forms, no surrogates, nothing above U+10FFFF.
size_t Utf8SequenceLength(std::string_view bytes)
{
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (bytes.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (!IsContinuation(at(i)))
            return 0;
    return length;
}

} // namespace

QString WidgetText(const std::string& text)
{
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    std::string_view rest = text;
    while (!rest.empty()) {
        size_t valid = 0;
        while (valid < rest.size()) {
            const size_t length = Utf8SequenceLength(rest.substr(valid));
            if (length == 0)
                break;
            valid += length;
        }
        shown += QString::fromUtf8(rest.data(), static_cast<qsizetype>(valid));
        rest.remove_prefix(valid);
        if (!rest.empty()) {
            shown += QChar(static_cast<char16_t>(EscapedByteBase + static_cast<unsigned char>(rest.front())));
            rest.remove_prefix(1);
        }
    }
    return shown;
}

std::string SystemText(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        const QByteArray utf8 = QStringView(text).sliced(start, end - start).toUtf8();
        bytes.append(utf8.constData(), static_cast<size_t>(utf8.size()));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        // A low surrogate after a high one is half of a character, not an escaped byte.
        if (!IsEscapedByte(unit) || (i > 0 && text[i - 1].isHighSurrogate()))
            continue;
        flush(i);
        bytes += static_cast<char>(unit - EscapedByteBase);
        start = i + 1;
    }
    flush(text.size());
    return bytes;
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
