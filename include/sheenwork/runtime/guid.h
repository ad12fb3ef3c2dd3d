// A globally unique identifier as COM lays it out (16 bytes: a 32-bit, two 16-bit and
// eight single-byte fields), which names classes, interfaces and type libraries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sheenwork::runtime {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};

    // The registry's form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
    std::string ToString() const;
    // The registry's form, braces required, hex digits in either case; empty when the
    // text is anything else.
    static std::optional<Guid> Parse(std::string_view text);

    friend bool operator==(const Guid&, const Guid&) = default;
};

}  // namespace sheenwork::runtime
