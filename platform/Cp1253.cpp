#include "platform/Cp1253.h"

#include <array>
#include <cstdint>
#include <unordered_map>

namespace platform {

namespace {

// Code points of bytes 0x80 to 0xFF. Bytes undefined in Windows-1253 keep a code point of their own.
constexpr std::array<char32_t, 128> HighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x008A, 0x2039, 0x008C, 0x008D, 0x008E, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x009A, 0x203A, 0x009C, 0x009D, 0x009E, 0x009F, // 98
    0x00A0, 0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0xF8AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0384, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F, // B8
    0x0390, 0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397, // C0
    0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D, 0x039E, 0x039F, // C8
    0x03A0, 0x03A1, 0xF8D2, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7, // D0
    0x03A8, 0x03A9, 0x03AA, 0x03AB, 0x03AC, 0x03AD, 0x03AE, 0x03AF, // D8
    0x03B0, 0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7, // E0
    0x03B8, 0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF, // E8
    0x03C0, 0x03C1, 0x03C2, 0x03C3, 0x03C4, 0x03C5, 0x03C6, 0x03C7, // F0
    0x03C8, 0x03C9, 0x03CA, 0x03CB, 0x03CC, 0x03CD, 0x03CE, 0xF8FF, // F8
};

const std::unordered_map<char32_t, unsigned char>& ByteOfCodePoint()
{
    static const auto table = [] {
        std::unordered_map<char32_t, unsigned char> map;
        for (size_t i = 0; i < HighHalf.size(); ++i)
            map.emplace(HighHalf[i], static_cast<unsigned char>(0x80 + i));
        return map;
    }();
    return table;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when it is not valid UTF-8.
size_t DecodeUtf8(std::string_view text, size_t i, char32_t& cp)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    if (lead < 0x80) { cp = lead; return 1; }
    if ((lead & 0xE0) == 0xC0) { cp = lead & 0x1F; length = 2; }
    else if ((lead & 0xF0) == 0xE0) { cp = lead & 0x0F; length = 3; }
    else if ((lead & 0xF8) == 0xF0) { cp = lead & 0x07; length = 4; }
    else return 0;
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < Smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string SystemFromCp1253(std::string_view cp1253)
{
    std::string out;
    out.reserve(cp1253.size() * 2);
    for (char c : cp1253) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte < 0x80 ? char32_t(byte) : HighHalf[byte - 0x80]);
    }
    return out;
}

std::string Cp1253FromSystem(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const size_t length = DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            out += '?';
            ++i;
            continue;
        }
        i += length;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (auto it = ByteOfCodePoint().find(cp); it != ByteOfCodePoint().end()) {
            out += static_cast<char>(it->second);
        } else {
            out += '?';
        }
    }
    return out;
}

} // namespace platform
