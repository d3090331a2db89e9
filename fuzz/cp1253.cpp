// The Windows-1253 conversion of the language files. Invariants:
// - any bytes become valid UTF-8, and come back from it as the same bytes (lossless for all 256 values);
// - where glibc's iconv knows a byte's character, the conversion gives that same character;
// - any text at all becomes one byte per character ("?" for what Windows-1253 cannot hold and for bytes
//   that are not UTF-8), never more bytes than it had, and converting the result back and forth again
//   changes nothing.
#include "platform/Cp1253.h"
#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <iconv.h>
#include <optional>
#include <string>

namespace {

// A strict UTF-8 check: shortest forms only, no surrogates, nothing above U+10FFFF.
bool ValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07u;
        } else
            return false;
        if (i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (next & 0x3Fu);
        }
        if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

// The UTF-8 of each byte as glibc's iconv converts it from CP1253, or nothing where iconv refuses it.
std::array<std::optional<std::string>, 256> IconvTable()
{
    std::array<std::optional<std::string>, 256> table;
    iconv_t converter = ::iconv_open("UTF-8", "CP1253");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return table; // no reference on this system; the other invariants still hold
    for (int byte = 0; byte < 256; ++byte) {
        char in = static_cast<char>(byte);
        char out[8];
        char* inPointer = &in;
        char* outPointer = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (::iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1))
            table[static_cast<size_t>(byte)] = std::string(out, outPointer);
    }
    ::iconv_close(converter);
    return table;
}

const std::array<std::optional<std::string>, 256>& Iconv()
{
    static const auto table = IconvTable();
    return table;
}

size_t CharactersIn(const std::string& utf8)
{
    size_t count = 0;
    for (char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = platform::SystemFromCp1253(bytes);
    FUZZ_CHECK(ValidUtf8(utf8), fuzzcheck::Shown(bytes));
    FUZZ_CHECK(platform::Cp1253FromSystem(utf8) == bytes, fuzzcheck::Shown(bytes) + " via " + fuzzcheck::Shown(utf8));
    FUZZ_CHECK(CharactersIn(utf8) == bytes.size(), fuzzcheck::Shown(bytes));
    for (unsigned char byte : bytes) {
        const auto& known = Iconv()[byte];
        if (known) {
            const std::string one = platform::SystemFromCp1253(std::string(1, static_cast<char>(byte)));
            FUZZ_CHECK(one == *known,
                "byte " + std::to_string(byte) + " gives " + fuzzcheck::Shown(one) + ", iconv "
                    + fuzzcheck::Shown(*known));
        }
    }

    // The same bytes taken as UTF-8 (as the program's own texts are) on their way to a language file.
    const std::string narrowed = platform::Cp1253FromSystem(bytes);
    FUZZ_CHECK(narrowed.size() <= bytes.size(), fuzzcheck::Shown(bytes));
    if (ValidUtf8(bytes))
        FUZZ_CHECK(narrowed.size() == CharactersIn(bytes), fuzzcheck::Shown(bytes));
    const std::string widened = platform::SystemFromCp1253(narrowed);
    FUZZ_CHECK(platform::Cp1253FromSystem(widened) == narrowed, fuzzcheck::Shown(bytes));
    if (narrowed.find('?') == std::string::npos && ValidUtf8(bytes))
        FUZZ_CHECK(widened == bytes, fuzzcheck::Shown(bytes) + " back as " + fuzzcheck::Shown(widened));
    return 0;
}
