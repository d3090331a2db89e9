// The INI reader on arbitrary file content: it never crashes, returns at most 2047 bytes without line ends,
// and gives exactly what a second, independent reading of the documented rules gives.
#include "FuzzCheck.h"
#include "IniNames.h"
#include "IniReference.h"
#include "localisation/IniText.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniInput input(data, size);
    const std::string& content = input.content;
    const std::vector<std::string> names = iniref::NamesIn(content);
    const std::string defaultValue = input.Piece(3000);

    for (int probe = 0; probe < 3; ++probe) {
        const std::string section = input.Name(names);
        const std::string key = input.Name(names);
        const std::string got = IniValueIn(content, section, key, defaultValue);
        const std::string expected = iniref::Read(content, section, key, defaultValue);
        const std::string report = "section " + fuzzcheck::Shown(section) + " key " + fuzzcheck::Shown(key) + " got "
            + fuzzcheck::Shown(got) + " expected " + fuzzcheck::Shown(expected);
        FUZZ_CHECK(got.size() <= MaxIniValueLength, report);
        FUZZ_CHECK(got.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, report);
        FUZZ_CHECK(got == expected, report);
    }
    return 0;
}
