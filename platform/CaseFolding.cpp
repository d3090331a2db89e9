#include "platform/CaseFolding.h"

#include "platform/Listing.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <locale.h>
#include <wctype.h>

namespace platform {

namespace {

// Eight bytes at a time: every name of a run is asked this twice.
bool IsAscii(std::string_view text)
{
    constexpr uint64_t highBits = 0x8080808080808080ull;
    size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, text.data() + at, 8);
        if (word & highBits)
            return false;
    }
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(at), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

struct Decoded {
    char32_t codePoint = 0;
    size_t length = 1;
    bool valid = false;
};

// The bytes of the character a lead byte starts; 0 for a byte that starts none.
size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    return lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
}

// The character that starts at text[at]; one byte that is no UTF-8 where none does.
Decoded DecodeAt(std::string_view text, size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = SequenceLength(lead);
    if (length == 0 || length > text.size() - at)
        return {};
    char32_t codePoint = length == 1 ? lead : lead & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return {};
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    // Longer forms than needed, surrogates and numbers past Unicode are no UTF-8.
    static constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < least[length] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF)
        return {};
    return {codePoint, length, true};
}

void AppendUtf8(std::string& text, char32_t codePoint)
{
    if (codePoint < 0x80) {
        text.push_back(static_cast<char>(codePoint));
        return;
    }
    const size_t length = codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
    static constexpr unsigned char leads[] = {0, 0, 0xC0, 0xE0, 0xF0};
    text.push_back(static_cast<char>(leads[length] | (codePoint >> (6 * (length - 1)))));
    for (size_t i = length - 1; i > 0; --i)
        text.push_back(static_cast<char>(0x80 | ((codePoint >> (6 * (i - 1))) & 0x3F)));
}

// Unicode's capitals, whatever locale the process runs in; none where the C library lacks the locale.
locale_t UnicodeLetters()
{
    static const locale_t letters = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return letters;
}

} // namespace

std::string CaseFolded(std::string_view name)
{
    const locale_t letters = UnicodeLetters();
    std::string folded;
    folded.reserve(name.size());
    for (size_t at = 0; at < name.size();) {
        const Decoded character = DecodeAt(name, at);
        if (character.valid && character.codePoint >= 0x80 && letters != locale_t{})
            AppendUtf8(folded, static_cast<char32_t>(::towupper_l(static_cast<wint_t>(character.codePoint), letters)));
        else if (character.length == 1)
            folded.push_back(AsciiUpper(name[at]));
        else
            folded.append(name.substr(at, character.length));
        at += character.length;
    }
    return folded;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (IsAscii(a) && IsAscii(b))
        return EqualIgnoringAsciiCase(a, b);
    return CaseFolded(a) == CaseFolded(b);
}

// An ASCII name folds to its ASCII capitals, which the case-blind hash ignores anyway: it is hashed as it stands.
uint64_t HashIgnoringCase(std::string_view name)
{
    return IsAscii(name) ? HashIgnoringAsciiCase(name) : HashIgnoringAsciiCase(CaseFolded(name));
}

} // namespace platform
