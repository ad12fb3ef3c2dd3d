// How a message shows what an input file holds: control characters as \xHH, so that a
// file's bytes never reach a terminal raw, and a word cut to 40 bytes (before a character,
// not inside one), so that a line of a million letters makes a message of one line.
#pragma once

#include <string>
#include <string_view>

namespace sheenwork::util {

inline std::string Printable(std::string_view s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : s) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F)
            out += c;
        else
            out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
    }
    return out;
}

inline std::string Shown(std::string_view word) {
    constexpr std::size_t kMost = 40;
    if (word.size() <= kMost) return std::string(word);
    std::size_t cut = kMost;
    while (cut > 0 && (static_cast<unsigned char>(word[cut]) & 0xC0) == 0x80) --cut;
    return std::string(word.substr(0, cut)) + "…";
}

}  // namespace sheenwork::util
