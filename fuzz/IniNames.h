#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A fuzz input for the INI targets is the file content followed by a trailer of control bytes, so that a plain
// INI file (with any 24 bytes after it) is a good seed. The names and values that the targets pass are taken
// from the trailer's choices: a name that the content holds, or a piece of the content itself.
struct IniInput {
    static constexpr size_t TrailerSize = 24;

    std::string content;
    FuzzedDataProvider controls;

    IniInput(const uint8_t* data, size_t size)
        : content(reinterpret_cast<const char*>(data), size > TrailerSize ? size - TrailerSize : 0)
        , controls(data + content.size(), size - content.size())
    {
    }

    // A piece of the content, up to most bytes long.
    std::string Piece(size_t most)
    {
        const size_t from = controls.ConsumeIntegralInRange<size_t>(0, content.size());
        const size_t length = controls.ConsumeIntegralInRange<size_t>(0, most);
        return content.substr(from, length);
    }

    // A section or key name: mostly one the content holds, with the case of some ASCII letters turned over, so
    // that found keys are reached as often as missing ones; else a piece of the content.
    std::string Name(const std::vector<std::string>& names)
    {
        const bool fromNames = controls.ConsumeIntegralInRange<int>(0, 3) != 0 && !names.empty();
        std::string name = fromNames ? names[controls.ConsumeIntegral<uint8_t>() % names.size()] : Piece(40);
        const auto flips = controls.ConsumeIntegral<uint16_t>();
        for (size_t i = 0; i < name.size() && i < 16; ++i) {
            char& c = name[i];
            if ((flips >> i & 1u) && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
                c = static_cast<char>(c ^ 0x20);
        }
        return name;
    }
};
