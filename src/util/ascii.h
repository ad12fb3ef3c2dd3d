// Names that compare without regard to case (window classes, control and form names,
// script words, registry keys, font families) are folded with this: the ASCII letters
// lowered, every other byte as it is, whatever the process's locale.
#pragma once

#include <string>
#include <string_view>

namespace sheenwork::util {

inline std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace sheenwork::util
