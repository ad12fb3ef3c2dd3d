// The runtime semantics: VB's Boolean, rounding and overflow, colours, units, errors.
#include <sheenwork/vb/types.h>

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <ostream>

namespace sheenwork::vb {

// Readable failures: a Boolean prints as VB shows it, or as its bits when non-canonical.
void PrintTo(Boolean b, std::ostream* os) {
    if (b == True)
        *os << "True";
    else if (b == False)
        *os << "False";
    else
        *os << "Boolean(" << b.Bits() << ")";
}

namespace {

// The error number a call raises, or 0 if it returns.
template <class F>
long ErrorOf(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

// ---- Boolean ----

static_assert(True.Bits() == -1 && False.Bits() == 0);
static_assert(Not(True) == False && Not(False) == True);
static_assert(!std::is_convertible_v<int, Boolean>);
static_assert(!std::is_convertible_v<Boolean, int>);
static_assert(!std::is_constructible_v<Boolean, int>);
static_assert(!std::is_constructible_v<Boolean, const char*>);
static_assert(std::is_convertible_v<bool, Boolean>);
static_assert(std::is_constructible_v<bool, Boolean>);  // explicit, for If

TEST(VbBoolean, TruthTables) {
    EXPECT_EQ(Not(True), False);
    EXPECT_EQ(Not(False), True);
    EXPECT_EQ(And(True, True), True);
    EXPECT_EQ(And(True, False), False);
    EXPECT_EQ(And(False, False), False);
    EXPECT_EQ(Or(True, False), True);
    EXPECT_EQ(Or(False, False), False);
    EXPECT_EQ(Xor(True, True), False);
    EXPECT_EQ(Xor(True, False), True);
    EXPECT_EQ(True & False, False);
    EXPECT_EQ(True | False, True);
    EXPECT_EQ(!True, False);
}

TEST(VbBoolean, NotIsBitwiseOnSixteenBits) {
    EXPECT_EQ(Not(Boolean::FromBits(0)).Bits(), -1);
    EXPECT_EQ(Not(Boolean::FromBits(-1)).Bits(), 0);
    // VB's trap: a Boolean holding 1 (from an API) stays true under Not.
    const Boolean one = Boolean::FromBits(1);
    EXPECT_EQ(Not(one).Bits(), -2);
    EXPECT_TRUE(static_cast<bool>(Not(one)));
    EXPECT_NE(one, True);
    EXPECT_EQ((one & True).Bits(), 1);
    EXPECT_EQ((Boolean::FromBits(0x0F0) | Boolean::FromBits(0x00F)).Bits(), 0x0FF);
}

// ---- rounding and overflow ----

TEST(VbConvert, HalvesRoundToEven) {
    EXPECT_EQ(CLng(0.5), 0);
    EXPECT_EQ(CLng(1.5), 2);
    EXPECT_EQ(CLng(2.5), 2);
    EXPECT_EQ(CLng(3.5), 4);
    EXPECT_EQ(CLng(-0.5), 0);
    EXPECT_EQ(CLng(-1.5), -2);
    EXPECT_EQ(CLng(-2.5), -2);
    EXPECT_EQ(CLng(-3.5), -4);
    EXPECT_EQ(CLng(2.5f), 2);
    EXPECT_EQ(CLng(3.5f), 4);
    EXPECT_EQ(CLng(-2.5f), -2);
    EXPECT_EQ(CLng(0.5f), 0);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5f), 4);
    EXPECT_EQ(CInt(-2.5f), -2);
    EXPECT_EQ(R(2.5f), 2);
    EXPECT_EQ(R(7.5f), 8);
}

TEST(VbConvert, ResultIgnoresFpuRoundingMode) {
    // Through volatile so that the compiler cannot fold the conversions.
    volatile double a = 2.5, b = 3.5, c = -2.5, d = 2.6;
    const int saved = std::fegetround();
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        EXPECT_EQ(CLng(a), 2);
        EXPECT_EQ(CLng(b), 4);
        EXPECT_EQ(CLng(c), -2);
        EXPECT_EQ(CLng(d), 3);
    }
    std::fesetround(saved);
}

TEST(VbConvert, LongOverflowBoundaries) {
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_EQ(CLng(2147483647.4), 2147483647);
    EXPECT_EQ(CLng(2147483646.5), 2147483646);
    EXPECT_EQ(ErrorOf([] { CLng(2147483647.5); }), 6);  // rounds to 2^31
    EXPECT_EQ(ErrorOf([] { CLng(2147483648.0); }), 6);
    EXPECT_EQ(CLng(-2147483648.0), INT32_MIN);
    EXPECT_EQ(CLng(-2147483648.5), INT32_MIN);  // rounds (to even) to -2^31
    EXPECT_EQ(ErrorOf([] { CLng(-2147483648.6); }), 6);
    EXPECT_EQ(ErrorOf([] { CLng(-2147483649.5); }), 6);
    EXPECT_EQ(ErrorOf([] { CLng(std::numeric_limits<double>::quiet_NaN()); }), 6);
    EXPECT_EQ(ErrorOf([] { CLng(std::numeric_limits<double>::infinity()); }), 6);
    EXPECT_EQ(ErrorOf([] { CLng(-std::numeric_limits<float>::infinity()); }), 6);
    EXPECT_EQ(ErrorOf([] { CLng(1e300); }), 6);
    // 2147483647.5 is no Single; the nearest Single is 2^31.
    EXPECT_EQ(ErrorOf([] { CLng(2147483647.5f); }), 6);
    EXPECT_EQ(CLng(2147483520.0f), 2147483520);  // the largest Single below 2^31
    EXPECT_EQ(CLng(-2147483648.0f), INT32_MIN);
}

TEST(VbConvert, IntegerOverflowBoundaries) {
    EXPECT_EQ(CInt(32767.0), 32767);
    EXPECT_EQ(CInt(32767.4f), 32767);
    EXPECT_EQ(CInt(32766.5), 32766);
    EXPECT_EQ(ErrorOf([] { CInt(32767.5); }), 6);
    EXPECT_EQ(CInt(-32768.5), -32768);
    EXPECT_EQ(ErrorOf([] { CInt(-32768.6f); }), 6);
    EXPECT_EQ(ErrorOf([] { CInt(-32769.5); }), 6);
    EXPECT_EQ(ErrorOf([] { CInt(std::numeric_limits<float>::quiet_NaN()); }), 6);
    EXPECT_EQ(CInt(32767), 32767);
    EXPECT_EQ(CInt(-32768L), -32768);
    EXPECT_EQ(ErrorOf([] { CInt(32768); }), 6);
    EXPECT_EQ(ErrorOf([] { CInt(-32769); }), 6);
    EXPECT_EQ(ErrorOf([] { CLng(2147483648LL); }), 6);
    EXPECT_EQ(ErrorOf([] { CLng(4294967295u); }), 6);
    EXPECT_EQ(CLng(-2147483648LL), INT32_MIN);
}

// ---- checked integer arithmetic ----

TEST(VbArithmetic, IntegerOverflows) {
    EXPECT_EQ(Add<Integer>(32766, 1), 32767);
    EXPECT_EQ(ErrorOf([] { Add<Integer>(32767, 1); }), 6);
    EXPECT_EQ(ErrorOf([] { Sub<Integer>(-32768, 1); }), 6);
    EXPECT_EQ(ErrorOf([] { Mul<Integer>(256, 128); }), 6);
    EXPECT_EQ(Mul<Integer>(-256, 128), -32768);
    EXPECT_EQ(ErrorOf([] { Neg<Integer>(-32768); }), 6);
    EXPECT_EQ(ErrorOf([] { IntDiv<Integer>(-32768, -1); }), 6);
    EXPECT_EQ(Mod<Integer>(-32768, -1), 0);
}

TEST(VbArithmetic, LongOverflows) {
    EXPECT_EQ(Add<Long>(2147483646, 1), 2147483647);
    EXPECT_EQ(ErrorOf([] { Add<Long>(2147483647, 1); }), 6);
    EXPECT_EQ(ErrorOf([] { Add<Long>(INT32_MIN, -1); }), 6);
    EXPECT_EQ(ErrorOf([] { Sub<Long>(INT32_MIN, 1); }), 6);
    EXPECT_EQ(Mul<Long>(46340, 46340), 2147395600);
    EXPECT_EQ(ErrorOf([] { Mul<Long>(46341, 46341); }), 6);
    EXPECT_EQ(ErrorOf([] { Mul<Long>(65536, -65536); }), 6);
    EXPECT_EQ(ErrorOf([] { Neg<Long>(INT32_MIN); }), 6);
    EXPECT_EQ(ErrorOf([] { IntDiv<Long>(INT32_MIN, -1); }), 6);
    EXPECT_EQ(Mod<Long>(INT32_MIN, -1), 0);
}

TEST(VbArithmetic, DivisionTruncatesAndModKeepsDividendSign) {
    EXPECT_EQ(IntDiv<Long>(7, 2), 3);
    EXPECT_EQ(IntDiv<Long>(-7, 2), -3);
    EXPECT_EQ(Mod<Long>(-7, 2), -1);
    EXPECT_EQ(Mod<Integer>(7, -2), 1);
    EXPECT_EQ(ErrorOf([] { IntDiv<Long>(1, 0); }), 11);
    EXPECT_EQ(ErrorOf([] { Mod<Integer>(1, 0); }), 11);
}

// ---- colours ----

struct VbColor : ::testing::Test {
    void SetUp() override { ResetSysColors(); }
    void TearDown() override { ResetSysColors(); }
};

TEST_F(VbColor, SystemColorBits) {
    EXPECT_TRUE(IsSystemColor(vbButtonFace));
    EXPECT_FALSE(IsSystemColor(0x00FFFFFF));
    EXPECT_EQ(SystemColorIndex(vbButtonFace), 15);
    EXPECT_EQ(SystemColorIndex(vbButtonShadow), 16);
    EXPECT_EQ(SystemColorIndex(vbGrayText), 17);
    EXPECT_EQ(SystemColorIndex(vbButtonText), 18);
    EXPECT_EQ(SystemColorIndex(vbWindowBackground), 5);
}

TEST_F(VbColor, ResolvesThroughTheTable) {
    EXPECT_EQ(TranslateColor(vbButtonFace), 0x00D8E9ECu);  // Luna 236, 233, 216
    EXPECT_EQ(TranslateColor(vbButtonShadow), SysColor(16));
    EXPECT_EQ(TranslateColor(vbWindowBackground), 0x00FFFFFFu);
    EXPECT_EQ(TranslateColor(vbButtonText), 0u);
    EXPECT_EQ(TranslateColor(0x80000000), SysColor(0));
    EXPECT_EQ(TranslateColor(0x8000001E), SysColor(30));  // the last entry
    // Only the low byte selects the entry.
    EXPECT_EQ(TranslateColor(0x8012340F), SysColor(15));
}

TEST_F(VbColor, FollowsAReplacedEntry) {
    SetSysColor(15, 0x00123456);
    EXPECT_EQ(TranslateColor(vbButtonFace), 0x00123456u);
    EXPECT_EQ(TranslateColor(vbButtonShadow), 0x0099A8ACu);  // neighbours untouched (172, 168, 153)
    ResetSysColors();
    EXPECT_EQ(TranslateColor(vbButtonFace), 0x00D8E9ECu);
}

TEST_F(VbColor, InvalidValuesRaiseFive) {
    for (OleColor bad : {0x8000001Fu, 0x800000FFu, 0x01000005u, 0x03000000u, 0x40000000u,
                         0x7F000000u, 0x81000005u, 0xFF00000Fu}) {
        EXPECT_EQ(ErrorOf([bad] { TranslateColor(bad); }), 5) << std::hex << bad;
        EXPECT_FALSE(IsValidColor(bad)) << std::hex << bad;
    }
    EXPECT_TRUE(IsValidColor(vbInfoBackground));
}

// ---- twips and pixels ----

struct VbUnits : ::testing::Test {
    void TearDown() override { SetDpi(kDefaultDpi); }
};

TEST_F(VbUnits, FifteenTwipsPerPixelAt96) {
    EXPECT_EQ(DpiX(), 96);
    EXPECT_EQ(TwipsPerPixelX(), 15.0f);
    EXPECT_EQ(TwipsPerPixelY(), 15.0f);
    EXPECT_EQ(TwipsToPixelsX(1125.0f), 75.0f);
    EXPECT_EQ(TwipsToPixelsY(345.0f), 23.0f);
    EXPECT_EQ(PixelsToTwipsX(75.0f), 1125.0f);
    EXPECT_EQ(TwipsToPixelsX(7.5f), 0.5f);
}

// Any DPI of at least 1 on either axis is taken; none below is, and the old one stays.
TEST_F(VbUnits, ADpiIsAtLeastOne) {
    SetDpi(1, 1);
    EXPECT_EQ(TwipsPerPixelX(), 1440.0f);
    EXPECT_EQ(TwipsPerPixelY(), 1440.0f);
    SetDpi(120, 1);
    EXPECT_EQ(TwipsToPixelsX(1440.0f), 120.0f);
    EXPECT_EQ(TwipsToPixelsY(1440.0f), 1.0f);
    for (const auto& [x, y] : {std::pair{0, 96}, {96, 0}, {-96, 96}, {96, -1}}) {
        EXPECT_THROW(SetDpi(x, y), RuntimeError) << x << " " << y;
        EXPECT_EQ(DpiX(), 120);
        EXPECT_EQ(DpiY(), 1);
    }
}

// ---- run-time errors ----

TEST(VbError, ClassicTexts) {
    EXPECT_EQ(ErrorText(3), "Return without GoSub");
    EXPECT_EQ(ErrorText(5), "Invalid procedure call or argument");
    EXPECT_EQ(ErrorText(6), "Overflow");
    EXPECT_EQ(ErrorText(9), "Subscript out of range");
    EXPECT_EQ(ErrorText(11), "Division by zero");
    EXPECT_EQ(ErrorText(13), "Type mismatch");
    EXPECT_EQ(ErrorText(75), "Path/File access error");
    EXPECT_EQ(ErrorText(91), "Object variable or With block variable not set");
    EXPECT_EQ(ErrorText(380), "Invalid property value");
    EXPECT_EQ(ErrorText(381), "Invalid property array index");
    EXPECT_EQ(ErrorText(383), "Set not supported (read-only property)");
    EXPECT_EQ(ErrorText(394), "Get not supported (write-only property)");
    EXPECT_EQ(ErrorText(438), "Object doesn't support this property or method");
    EXPECT_EQ(ErrorText(481), "Invalid picture");
    EXPECT_EQ(ErrorText(482), "Printer error");
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
    EXPECT_EQ(ErrorOf([] { Raise(0); }), 5);  // Err.Raise 0 is an invalid call
}

}  // namespace
}  // namespace sheenwork::vb
