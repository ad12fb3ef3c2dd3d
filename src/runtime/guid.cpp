#include <sheenwork/runtime/guid.h>

#include <cstdio>

namespace sheenwork::runtime {
namespace {

// The field widths, in hex digits, of the five groups between the dashes.
constexpr int kGroups[] = {8, 4, 4, 4, 12};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string Guid::ToString() const {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(data1), static_cast<unsigned>(data2),
                  static_cast<unsigned>(data3), data4[0], data4[1], data4[2], data4[3], data4[4],
                  data4[5], data4[6], data4[7]);
    return text;
}

std::optional<Guid> Guid::Parse(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    // The 32 digits in order, checking that the dashes stand where they belong.
    std::uint8_t digits[32];
    std::size_t at = 1, n = 0;
    for (int group = 0; group < 5; ++group) {
        if (group > 0 && text[at++] != '-') return std::nullopt;
        for (int i = 0; i < kGroups[group]; ++i) {
            const int d = HexDigit(text[at++]);
            if (d < 0) return std::nullopt;
            digits[n++] = static_cast<std::uint8_t>(d);
        }
    }
    const auto field = [&](std::size_t from, std::size_t count) {
        std::uint32_t v = 0;
        for (std::size_t i = from; i < from + count; ++i) v = v << 4 | digits[i];
        return v;
    };
    Guid g;
    g.data1 = field(0, 8);
    g.data2 = static_cast<std::uint16_t>(field(8, 4));
    g.data3 = static_cast<std::uint16_t>(field(12, 4));
    for (std::size_t i = 0; i < 8; ++i)
        g.data4[i] = static_cast<std::uint8_t>(field(16 + 2 * i, 2));
    return g;
}

}  // namespace sheenwork::runtime
