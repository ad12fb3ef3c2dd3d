// The runtime semantics as calls and their results, one table per subject under
// tests/data/vb: VB's Boolean, rounding and overflow (numbers.txt), colours (colors.txt),
// twips and pixels (units.txt), run-time errors (errors.txt).
#include <sheenwork/vb/types.h>
#include <sheenwork/vb/variant.h>

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <iomanip>
#include <limits>
#include <map>
#include <ostream>
#include <sstream>

#include "support/data.h"

namespace sheenwork::vb {

namespace {

using testing::Row;

// The FPU's rounding mode the calls below run in; the arguments are read in the default one.
int rounding = FE_TONEAREST;

// What a call gives, made in the rounding mode above: its number, or "!N" for the
// run-time error N it raises.
template <class F>
std::string Outcome(F&& f) {
    struct Mode {
        Mode() { std::fesetround(rounding); }
        ~Mode() { std::fesetround(FE_TONEAREST); }
    };
    try {
        const Mode mode;
        return std::to_string(f());
    } catch (const RuntimeError& e) {
        return "!" + std::to_string(e.Number());
    }
}

static_assert(True.Bits() == -1 && False.Bits() == 0);
static_assert(Not(True) == False && Not(False) == True);
static_assert(!std::is_convertible_v<int, Boolean> && !std::is_convertible_v<Boolean, int>);
static_assert(!std::is_constructible_v<Boolean, int>);
static_assert(!std::is_constructible_v<Boolean, const char*>);
static_assert(std::is_convertible_v<bool, Boolean>);
static_assert(std::is_constructible_v<bool, Boolean>);  // explicit, for If

// An argument as the table writes it, called with the C++ type it names.
template <class F>
std::string WithArgument(const std::string& text, F&& f) {
    const bool single = text.ends_with('f') && !text.starts_with("in");
    const std::string number = single ? text.substr(0, text.size() - 1) : text;
    if (text.ends_with('u')) return Outcome([&] { return f(std::stoull(text)); });
    if (number.find_first_of(".ein") == std::string::npos)
        return Outcome([&] { return f(std::stoll(text)); });
    const double d = number == "nan" || number == "nanf" ? std::nan("")
                     : number.ends_with("inf") || number.ends_with("inff")
                         ? (number[0] == '-' ? -1 : 1) * std::numeric_limits<double>::infinity()
                         : std::stod(number);
    const float single_value = static_cast<float>(d);
    if (single || text == "nanf" || text == "inff" || text == "-inff")
        return Outcome([&] { return f(single_value); });
    return Outcome([&] { return f(d); });
}

template <class T>
std::string Arithmetic(const std::string& op, const std::string& args) {
    std::istringstream in(args);
    long long a = 0, b = 0;
    in >> a >> b;
    const T x = static_cast<T>(a), y = static_cast<T>(b);
    return Outcome([&]() -> long {
        if (op == "Add") return Add<T>(x, y);
        if (op == "Sub") return Sub<T>(x, y);
        if (op == "Mul") return Mul<T>(x, y);
        if (op == "Neg") return Neg<T>(x);
        if (op == "IntDiv") return IntDiv<T>(x, y);
        if (op == "Mod") return Mod<T>(x, y);
        ADD_FAILURE() << "unknown operation " << op;
        return 0;
    });
}

// A Boolean operator on the bits the table gives; If and = answer 1 or 0.
std::string Logic(const std::string& op, const std::string& args) {
    std::istringstream in(args);
    int a = 0, b = 0;
    in >> a >> b;
    const Boolean x = Boolean::FromBits(std::int16_t(a)), y = Boolean::FromBits(std::int16_t(b));
    if (op == "If") return std::to_string(static_cast<bool>(x));
    if (op == "=") return std::to_string(x == y);
    const Boolean r = op == "And"   ? And(x, y)
                      : op == "Or"  ? Or(x, y)
                      : op == "Xor" ? Xor(x, y)
                      : op == "&"   ? (x & y)
                      : op == "|"   ? (x | y)
                      : op == "!"   ? !x
                                    : Not(x);
    return std::to_string(r.Bits());
}

// A colour's system entry ("-" when it names none) and what TranslateColor makes of it,
// which IsValidColor must agree with.
std::vector<std::string> Color(const std::string& text) {
    const auto colour = static_cast<OleColor>(std::stoul(text, nullptr, 16));
    const std::string translated = Outcome([&] { return TranslateColor(colour); });
    if (IsValidColor(colour) != (translated != "!5")) return {"IsValidColor disagrees"};
    return {IsSystemColor(colour) ? std::to_string(SystemColorIndex(colour)) : "-", translated};
}

// Twips and pixels at a DPI ("default": the one a process starts with), or the refusal of
// that DPI, which leaves the one before it.
std::string Units(const std::string& dpi, const std::string& function, const std::string& arg) {
    int x = 0, y = 0;
    std::istringstream(dpi) >> x >> y;
    SetDpi(7, 9);  // the DPI a refusal must leave
    if (dpi == "default") SetDpi(kDefaultDpi);
    try {
        if (dpi != "default") SetDpi(x, y);
    } catch (const RuntimeError& e) {
        const bool kept = DpiX() == 7 && DpiY() == 9;
        SetDpi(kDefaultDpi);
        return (kept ? "refused " : "changed and refused ") + std::to_string(e.Number());
    }
    const float a = arg.empty() ? 0 : std::stof(arg);
    const std::map<std::string, float> got{{"DpiX", float(DpiX())},
                                           {"DpiY", float(DpiY())},
                                           {"TwipsPerPixelX", TwipsPerPixelX()},
                                           {"TwipsPerPixelY", TwipsPerPixelY()},
                                           {"TwipsToPixelsX", TwipsToPixelsX(a)},
                                           {"TwipsToPixelsY", TwipsToPixelsY(a)},
                                           {"PixelsToTwipsX", PixelsToTwipsX(a)}};
    SetDpi(kDefaultDpi);
    std::ostringstream out;  // enough digits to tell any two floats apart
    out << std::setprecision(9) << got.at(function);
    return out.str();
}

// Err.Raise: the error's number, description, source and message.
std::vector<std::string> Raised(const Row& row) {
    try {
        Raise(std::stol(row[1]), row[2], row[3]);
    } catch (const RuntimeError& e) {
        return {std::to_string(e.Number()), e.Description(), e.Source(), e.what()};
    }
    return {"returned"};
}

// What a row's call gives, to compare with the row's last cells; a system colour entry
// replaced is followed alone (its neighbours untouched) until the table is reset.
std::vector<std::string> Call(const Row& row) {
    const std::string& op = row[0];
    if (op == "Color") return Color(row[1]);
    if (op == "Units") return {Units(row[1], row[2], row[3])};
    if (op == "ErrorText") return {std::string(ErrorText(std::stol(row[1])))};
    if (op == "Raise") return Raised(row);
    if (op == "SysColor") return {Outcome([&] { return SysColor(std::stoi(row[1])); })};
    if (op == "Rgb") {
        int red = 0, green = 0, blue = 0;
        std::istringstream(row[1]) >> red >> green >> blue;
        return {Outcome([&] { return Rgb(red, green, blue); })};
    }
    if (op == "Replaced") {
        SetSysColor(std::stoi(row[1]), static_cast<std::uint32_t>(std::stoul(row[2], nullptr, 16)));
        const std::string replaced = Color(row[3]).back();
        ResetSysColors();
        return {replaced, Color(row[3]).back()};
    }
    if (op == "CLng" && row[1].starts_with('"'))  // a string, as a Variant holds it
        return {Outcome([&] { return CLng(Variant(row[1].substr(1, row[1].size() - 2))); })};
    if (op == "CLng") return {WithArgument(row[1], [](auto v) { return CLng(v); })};
    if (op == "CInt") return {WithArgument(row[1], [](auto v) { return CInt(v); })};
    if (op == "R")
        return {WithArgument(row[1], [](auto v) {
            if constexpr (std::is_floating_point_v<decltype(v)>) return R(v);
            return R(static_cast<double>(v));
        })};
    const std::string name = op.substr(0, op.find('.'));
    if (op.ends_with(".Integer")) return {Arithmetic<Integer>(name, row[1])};
    if (op.ends_with(".Long")) return {Arithmetic<Long>(name, row[1])};
    if (op.ends_with(".Boolean")) return {Logic(name, row[1])};
    return {"no such call " + op};
}

// A colour in a result cell: "sys N" the table's entry N, hex a colour, both as
// TranslateColor's decimal answer.
std::string Expected(const std::string& cell) {
    if (cell.starts_with("sys ")) return std::to_string(SysColor(std::stoi(cell.substr(4))));
    if (cell.starts_with("0x")) return std::to_string(std::stoul(cell, nullptr, 16));
    return cell;
}

class VbCall : public ::testing::TestWithParam<Row> {};

// Every row gives its result under each of the FPU's rounding modes.
TEST_P(VbCall, GivesItsResultOrItsErrorWhateverTheRoundingMode) {
    const Row& row = GetParam();
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        rounding = mode;
        const std::vector<std::string> got = Call(row);
        std::vector<std::string> want;
        for (std::size_t i = row.size() - std::min(got.size(), row.size() - 1); i < row.size(); ++i)
            want.push_back(row[0] == "Color" || row[0] == "Replaced" ? Expected(row[i]) : row[i]);
        EXPECT_EQ(got, want) << row.where << " rounding mode " << mode;
    }
    rounding = FE_TONEAREST;
}

std::vector<Row> Rows() {
    std::vector<Row> all;
    for (const char* table : {"vb/numbers.txt", "vb/colors.txt", "vb/units.txt", "vb/errors.txt"})
        for (Row& row : testing::ReadTable(table)) all.push_back(std::move(row));
    return all;
}

INSTANTIATE_TEST_SUITE_P(Tables, VbCall, ::testing::ValuesIn(Rows()), testing::RowName);

}  // namespace
}  // namespace sheenwork::vb
