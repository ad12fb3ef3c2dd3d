#include <sheenwork/vb/ansi.h>

#include <array>

namespace sheenwork::vb {
namespace {

// 0x80..0x9F: the bytes where the code page differs from Latin-1.
constexpr std::array<char16_t, 32> k80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < k80.size(); ++i)
        if (k80[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

char32_t AnsiCharacter(unsigned char c) noexcept {
    return c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : c;
}

std::string FromAnsi(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (const char c : ansi) AppendUtf8(out, AnsiCharacter(static_cast<unsigned char>(c)));
    return out;
}

Utf8Character DecodeUtf8(std::string_view s, std::size_t at) noexcept {
    const auto lead = static_cast<unsigned char>(s[at]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || at + length > s.size()) return {};
    char32_t c = length == 1   ? lead
                 : length == 2 ? lead & 0x1F
                 : length == 3 ? lead & 0x0F
                               : lead & 0x07;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[at + k]);
        if ((next & 0xC0) != 0x80) return {};
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return {};
    return {c, length};
}

std::string ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Character c = DecodeUtf8(utf8, i);
        if (c.length == 0) {
            out += '?';
            ++i;
            continue;
        }
        out += ByteOf(c.code);
        i += c.length;
    }
    return out;
}

}  // namespace sheenwork::vb
