#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// An invariant of a fuzz target. A broken one prints what broke and aborts, so that libFuzzer keeps the
// input as a crash reproducer.
#define FUZZ_CHECK(condition, what)                                                                                    \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            fuzzcheck::Fail(__FILE__, __LINE__, #condition, what);                                                     \
    } while (false)

namespace fuzzcheck {

[[noreturn]] inline void Fail(const char* file, int line, const char* condition, const std::string& what)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n  %s\n", file, line, condition, what.c_str());
    std::abort();
}

// Bytes made readable in a report: printable ASCII as is, everything else as \xNN.
inline std::string Shown(std::string_view bytes, size_t most = 200)
{
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (size_t i = 0; i < bytes.size() && i < most; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
            out += static_cast<char>(byte);
        } else {
            out += "\\x";
            out += Hex[byte >> 4];
            out += Hex[byte & 0xF];
        }
    }
    out += bytes.size() > most ? "\"..." : "\"";
    return out;
}

} // namespace fuzzcheck
