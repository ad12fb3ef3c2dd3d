// VB's numeric types and the conversions and integer arithmetic the control relies on.
//
// VB rounds a floating value to an integer half to even ("banker's rounding") and
// raises Overflow (6) when the rounded value does not fit; it never wraps or saturates.
// Integer (16-bit) and Long (32-bit) arithmetic overflows the same way. Painting code
// depends on both: pixel positions come from CLng of Single expressions.
#pragma once

#include <sheenwork/vb/boolean.h>
#include <sheenwork/vb/error.h>

#include <cfloat>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <utility>

namespace sheenwork::vb {

using Integer = std::int16_t;
using Long = std::int32_t;
using Single = float;
using Double = double;

inline constexpr long kErrOverflow = 6;
inline constexpr long kErrDivisionByZero = 11;

// Round half to even, exactly and independent of the FPU rounding mode. x - trunc(x) is
// exact for every double, so the comparison with 0.5 sees the true fraction; adding 0.5
// and flooring would not (0.49999999999999994 + 0.5 rounds up to 1). Infinities and NaN
// come out as they went in and fail the range checks below.
inline double RoundHalfEven(double x) noexcept {
    const double whole = std::trunc(x);
    const double frac = std::fabs(x - whole);
    if (frac > 0.5 || (frac == 0.5 && std::fmod(whole, 2.0) != 0.0))
        return whole + std::copysign(1.0, x);
    return whole;
}

namespace detail {
// Rounds, then checks the rounded value, as VarI4FromR8 does: 2147483647.5 rounds to
// 2^31 and overflows, -2147483648.5 rounds (to even) to -2^31 and fits.
template <class T>
T RoundTo(double x) {
    const double r = RoundHalfEven(x);
    // Written so that NaN fails too.
    if (!(r >= static_cast<double>(INT32_MIN) && r <= static_cast<double>(INT32_MAX)))
        Raise(kErrOverflow);
    const auto v = static_cast<std::int32_t>(r);
    if (!std::in_range<T>(v)) Raise(kErrOverflow);
    return static_cast<T>(v);
}
template <class T, class From>
constexpr T Narrow(From v) {
    if (!std::in_range<T>(v)) Raise(kErrOverflow);
    return static_cast<T>(v);
}
template <class T>
concept NonBoolIntegral = std::integral<T> && !std::same_as<T, bool>;
}  // namespace detail

// CLng / CInt of a number. A Single converts to Double exactly, so one path serves both.
inline Long CLng(double x) { return detail::RoundTo<Long>(x); }
inline Long CLng(float x) { return detail::RoundTo<Long>(x); }
inline Integer CInt(double x) { return detail::RoundTo<Integer>(x); }
inline Integer CInt(float x) { return detail::RoundTo<Integer>(x); }
template <detail::NonBoolIntegral T>
constexpr Long CLng(T v) {
    return detail::Narrow<Long>(v);
}
template <detail::NonBoolIntegral T>
constexpr Integer CInt(T v) {
    return detail::Narrow<Integer>(v);
}
// A VB Boolean converts to its bits: CLng(True) = -1.
constexpr Long CLng(Boolean b) noexcept { return b.Bits(); }
constexpr Integer CInt(Boolean b) noexcept { return b.Bits(); }
// A C++ bool would give 1, not VB's -1; wrap it in Boolean to say which you mean.
Long CLng(bool) = delete;
Integer CInt(bool) = delete;

// CSng of a Double: Overflow beyond the Single range (as VarR4FromR8; NaN passes).
inline Single CSng(double x) {
    if (x < -static_cast<double>(FLT_MAX) || x > static_cast<double>(FLT_MAX)) Raise(kErrOverflow);
    return static_cast<Single>(x);
}

// The control's R(): a pixel coordinate from a Single, i.e. CLng. A Double argument is
// first passed ByVal As Single, as in the VB source, so it is rounded to Single first.
inline Long R(Single x) { return CLng(x); }
inline Long R(double x) { return CLng(CSng(x)); }

// Checked Integer / Long arithmetic, raising Overflow (6) or Division by zero (11).
// The type is a template parameter so that mixing Integer and Long (or an int literal)
// does not deduce and must be spelled, e.g. Add<Integer>(i, 1): otherwise C++'s
// promotion to int would quietly turn Integer arithmetic into Long arithmetic.
template <class T>
concept VbInteger = std::same_as<T, Integer> || std::same_as<T, Long>;

template <VbInteger T>
constexpr T Add(T a, T b) {
    return detail::Narrow<T>(std::int64_t{a} + b);
}
template <VbInteger T>
constexpr T Sub(T a, T b) {
    return detail::Narrow<T>(std::int64_t{a} - b);
}
template <VbInteger T>
constexpr T Mul(T a, T b) {
    return detail::Narrow<T>(std::int64_t{a} * b);
}
template <VbInteger T>
constexpr T Neg(T a) {
    return detail::Narrow<T>(-std::int64_t{a});
}
// VB's a \ b: truncates toward zero; the minimum \ -1 overflows.
template <VbInteger T>
constexpr T IntDiv(T a, T b) {
    if (b == 0) Raise(kErrDivisionByZero);
    return detail::Narrow<T>(std::int64_t{a} / b);
}
// VB's a Mod b: the sign of the dividend; the minimum Mod -1 is 0 (not C++'s UB).
template <VbInteger T>
constexpr T Mod(T a, T b) {
    if (b == 0) Raise(kErrDivisionByZero);
    return static_cast<T>(std::int64_t{a} % b);
}

}  // namespace sheenwork::vb
