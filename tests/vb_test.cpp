// The runtime semantics: VB's Boolean, rounding and overflow (tests/data/vb/numbers.txt),
// colours (colors.txt), units and errors (error_texts.txt).
#include <sheenwork/vb/types.h>
#include <sheenwork/vb/variant.h>

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
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

class VbNumbers : public ::testing::TestWithParam<Row> {};

// Every row gives its result under each of the FPU's rounding modes.
TEST_P(VbNumbers, GiveTheirResultOrTheirErrorWhateverTheRoundingMode) {
    const Row& row = GetParam();
    const std::string& op = row[0];
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        rounding = mode;
        std::string got;
        if (op == "CLng" && row[1].starts_with('"'))  // a string, as a Variant holds it
            got = Outcome([&] { return CLng(Variant(row[1].substr(1, row[1].size() - 2))); });
        else if (op == "CLng")
            got = WithArgument(row[1], [](auto v) { return CLng(v); });
        if (op == "CInt") got = WithArgument(row[1], [](auto v) { return CInt(v); });
        if (op == "R")
            got = WithArgument(row[1], [](auto v) {
                if constexpr (std::is_floating_point_v<decltype(v)>) return R(v);
                return R(static_cast<double>(v));
            });
        if (op.ends_with(".Integer")) got = Arithmetic<Integer>(op.substr(0, op.find('.')), row[1]);
        if (op.ends_with(".Long")) got = Arithmetic<Long>(op.substr(0, op.find('.')), row[1]);
        if (op.ends_with(".Boolean")) got = Logic(op.substr(0, op.find('.')), row[1]);
        EXPECT_EQ(got, row[2]) << row.where << " rounding mode " << mode;
    }
    rounding = FE_TONEAREST;
}

INSTANTIATE_TEST_SUITE_P(Table, VbNumbers,
                         ::testing::ValuesIn(testing::ReadTable("vb/numbers.txt")),
                         testing::RowName);

class VbColor : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override { ResetSysColors(); }
    void TearDown() override { ResetSysColors(); }
};

TEST_P(VbColor, ResolvesThroughTheSystemTableOrIsRefused) {
    const Row& row = GetParam();
    const auto colour = static_cast<OleColor>(std::stoul(row[0], nullptr, 16));
    EXPECT_EQ(IsSystemColor(colour), row[1] != "-") << row.where;
    if (row[1] != "-") {
        EXPECT_EQ(SystemColorIndex(colour), std::stoi(row[1])) << row.where;
    }
    EXPECT_EQ(IsValidColor(colour), row[2] != "!5") << row.where;
    const std::string want = row[2].starts_with("sys ")
                                 ? std::to_string(SysColor(std::stoi(row[2].substr(4))))
                             : row[2] == "!5" ? row[2]
                                              : std::to_string(std::stoul(row[2], nullptr, 16));
    EXPECT_EQ(Outcome([&] { return TranslateColor(colour); }), want) << row.where;
}

INSTANTIATE_TEST_SUITE_P(Table, VbColor, ::testing::ValuesIn(testing::ReadTable("vb/colors.txt")),
                         testing::RowName);

TEST(VbSysColor, AReplacedEntryIsFollowedAloneUntilReset) {
    SetSysColor(15, 0x00123456);
    EXPECT_EQ(TranslateColor(vbButtonFace), 0x00123456u);
    EXPECT_EQ(TranslateColor(vbButtonShadow), 0x0099A8ACu);  // neighbours untouched
    ResetSysColors();
    EXPECT_EQ(TranslateColor(vbButtonFace), 0x00D8E9ECu);
    EXPECT_EQ(SysColor(kSysColorCount), 0u);  // past the table: no colour
}

// tests/data/vb/units.txt: twips and pixels at each DPI set in turn, and the DPIs refused.
TEST(VbUnits, ConvertAtTheDpiSetAndRefuseOneBelowOne) {
    for (const Row& row : testing::ReadTable("vb/units.txt")) {
        int x = 0, y = 0;
        std::istringstream(row[0]) >> x >> y;
        if (row[1].rfind("refused ", 0) == 0) {
            const auto before = std::pair{DpiX(), DpiY()};
            try {
                SetDpi(x, y);
                ADD_FAILURE() << row.where << ": accepted";
            } catch (const RuntimeError& e) {
                EXPECT_EQ("refused " + std::to_string(e.Number()), row[1]) << row.where;
            }
            EXPECT_EQ(std::pair(DpiX(), DpiY()), before) << row.where;
            continue;
        }
        if (row[0] != "default") SetDpi(x, y);
        const float arg = row[2].empty() ? 0 : std::stof(row[2]);
        const std::map<std::string, float> got{{"DpiX", float(DpiX())},
                                               {"DpiY", float(DpiY())},
                                               {"TwipsPerPixelX", TwipsPerPixelX()},
                                               {"TwipsPerPixelY", TwipsPerPixelY()},
                                               {"TwipsToPixelsX", TwipsToPixelsX(arg)},
                                               {"TwipsToPixelsY", TwipsToPixelsY(arg)},
                                               {"PixelsToTwipsX", PixelsToTwipsX(arg)}};
        EXPECT_EQ(got.at(row[1]), std::stof(row[3])) << row.where;
    }
    SetDpi(kDefaultDpi);
}

TEST(VbError, ClassicTexts) {
    for (const Row& row : testing::ReadTable("vb/error_texts.txt"))
        EXPECT_EQ(ErrorText(std::stol(row[0])), row[1]) << row.where;
}

TEST(VbError, RaiseCarriesNumberTextAndSource) {
    try {
        Raise(6);
        FAIL() << "Raise returned";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), 6);
        EXPECT_EQ(e.Description(), "Overflow");
        EXPECT_EQ(e.Source(), "");
        EXPECT_STREQ(e.what(), "Run-time error '6': Overflow");
    }
    try {
        Raise(vbObjectError + 1, "sheenButton", "Custom");
    } catch (const std::exception& e) {
        const auto& rt = dynamic_cast<const RuntimeError&>(e);
        EXPECT_EQ(rt.Number(), -2147221503);
        EXPECT_EQ(rt.Description(), "Custom");
        EXPECT_EQ(rt.Source(), "sheenButton");
    }
    try {  // Err.Raise 0 is an invalid call, whatever text it came with
        Raise(0, "", "Mine");
        FAIL() << "Raise returned";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_EQ(e.Description(), "Invalid procedure call or argument");
    }
}

}  // namespace
}  // namespace sheenwork::vb
