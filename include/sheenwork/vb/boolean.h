// VB's Boolean: 16 bits, True = -1, False = 0.
//
// The -1 matters: Not, And and Or are bitwise on the 16-bit value, CInt(True) is -1,
// and VB code leans on both (x = x - (a > b), Booleans stored in Integers and back).
// So Boolean is a class, never an integer: there is no implicit conversion from or to
// int that could turn -1 into 1. A C++ bool converts in (true becomes -1) because that
// is lossless and lets comparisons read naturally; numbers go through CBool.
#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <type_traits>

namespace sheenwork::vb {

namespace detail {
// The types C++ would silently turn into bool; Boolean refuses them (see below). Kept to
// these so that Boolean does not look constructible from everything to overload
// resolution.
template <class T>
concept ImplicitlyBoolish = !std::same_as<T, bool> &&
                            (std::is_arithmetic_v<T> || std::is_enum_v<T> || std::is_pointer_v<T>);
template <class T>
concept Arithmetic = std::is_arithmetic_v<T>;
}  // namespace detail

class Boolean {
public:
    constexpr Boolean() noexcept = default;  // False, as a fresh VB variable
    constexpr Boolean(bool b) noexcept : bits_(b ? -1 : 0) {}
    // Boolean b = 1 would otherwise go int -> bool -> Boolean silently; say CBool(1).
    template <detail::ImplicitlyBoolish T>
    Boolean(T) = delete;

    // The raw 16 bits, kept as they are. VB Booleans only hold 0 or -1 unless they come
    // from outside (an API Declare'd As Boolean returning 1, CopyMemory), and then VB's
    // trap applies here too: Not FromBits(1) is FromBits(-2), which is still true.
    static constexpr Boolean FromBits(std::int16_t bits) noexcept {
        Boolean b;
        b.bits_ = bits;
        return b;
    }
    constexpr std::int16_t Bits() const noexcept { return bits_; }

    // What If tests: any nonzero value.
    explicit constexpr operator bool() const noexcept { return bits_ != 0; }

    // `!` is VB's Not, bitwise, so that `if (!b)` means `If Not b Then` even for a
    // non-canonical value. For 0 and -1 it is the ordinary negation.
    friend constexpr Boolean operator!(Boolean a) noexcept { return FromBits(Flip(a.bits_)); }
    friend constexpr Boolean operator~(Boolean a) noexcept { return !a; }
    friend constexpr Boolean operator&(Boolean a, Boolean b) noexcept {
        return FromBits(static_cast<std::int16_t>(a.bits_ & b.bits_));
    }
    friend constexpr Boolean operator|(Boolean a, Boolean b) noexcept {
        return FromBits(static_cast<std::int16_t>(a.bits_ | b.bits_));
    }
    friend constexpr Boolean operator^(Boolean a, Boolean b) noexcept {
        return FromBits(static_cast<std::int16_t>(a.bits_ ^ b.bits_));
    }
    Boolean& operator&=(Boolean b) noexcept { return *this = *this & b; }
    Boolean& operator|=(Boolean b) noexcept { return *this = *this | b; }
    Boolean& operator^=(Boolean b) noexcept { return *this = *this ^ b; }

    // VB compares Booleans as the Integers they are: True < False, and FromBits(1) is
    // not equal to True.
    friend constexpr bool operator==(Boolean, Boolean) noexcept = default;
    friend constexpr auto operator<=>(Boolean, Boolean) noexcept = default;

private:
    static constexpr std::int16_t Flip(std::int16_t v) noexcept {
        return static_cast<std::int16_t>(~v);
    }
    std::int16_t bits_ = 0;
};
static_assert(sizeof(Boolean) == 2, "VB Boolean is 16 bits (UDT layout, persistence)");

// Note: Xlib defines True and False as macros; do not include it in the same unit.
inline constexpr Boolean True{true};
inline constexpr Boolean False{false};

// VB's operators by name, for code transcribed from the VB source.
constexpr Boolean Not(Boolean a) noexcept { return !a; }
constexpr Boolean And(Boolean a, Boolean b) noexcept { return a & b; }
constexpr Boolean Or(Boolean a, Boolean b) noexcept { return a | b; }
constexpr Boolean Xor(Boolean a, Boolean b) noexcept { return a ^ b; }

// CBool: any nonzero number (NaN included, it is not equal to 0) is True.
template <detail::Arithmetic T>
constexpr Boolean CBool(T value) noexcept {
    return Boolean(value != 0);
}

}  // namespace sheenwork::vb
