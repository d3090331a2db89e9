#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Names as a disk that ignores letter case sees them. Every letter with a capital is taken as that capital,
// in ASCII and beyond (Unicode's simple capitals, which exFAT's up-case table holds too: "é" is "É", "ω" is
// "Ω"). Bytes that are no UTF-8 stay as they are.
std::string CaseFolded(std::string_view name);

// Whether a and b name one file on a disk that ignores letter case.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// A hash for in-memory tables in which names equal by EqualIgnoringCase hash alike.
uint64_t HashIgnoringCase(std::string_view name);

} // namespace platform
