// The system's ANSI code page, Windows-1252, as strings cross to files and to the
// platform's "A" calls. The library's strings are Unicode (UTF-8); every file of SpEv and
// every ANSI message goes through these two conversions, as every string a Declare or a
// file statement hands on is converted on the platform.
#pragma once

#include <string>
#include <string_view>

namespace sheenwork::vb {

// Unicode to the code page. A character the code page does not have becomes "?", as the
// system's conversion writes its default character; so does each byte of a malformed
// UTF-8 sequence, which stands for no character at all.
std::string ToAnsi(std::string_view utf8);

// The code page to Unicode. Every byte has a character: the five the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same
// number, as the system maps them.
std::string FromAnsi(std::string_view ansi);

// The character an ANSI byte stands for.
char32_t AnsiCharacter(unsigned char c) noexcept;

// The character whose UTF-8 sequence starts at s[at] and the sequence's length in bytes;
// length 0 where no well-formed sequence starts there (a stray continuation byte, a cut
// sequence, an overlong form, a surrogate, a value past U+10FFFF).
struct Utf8Character {
    char32_t code = 0;
    std::size_t length = 0;
};
Utf8Character DecodeUtf8(std::string_view s, std::size_t at) noexcept;

}  // namespace sheenwork::vb
