#pragma once

#include <string>
#include <string_view>

namespace platform {

// Windows-1253 (Greek) bytes to UTF-8, the system encoding. Lossless for all 256 byte values:
// bytes that Windows-1253 leaves undefined map to code points of their own (U+0080 to U+009F,
// or U+F8xx for 0xAA, 0xD2 and 0xFF), which Cp1253FromSystem maps back to the same bytes.
std::string SystemFromCp1253(std::string_view cp1253);

// UTF-8 to Windows-1253. A character that Windows-1253 cannot hold, and a byte that is not
// part of valid UTF-8, become "?".
std::string Cp1253FromSystem(std::string_view utf8);

} // namespace platform
