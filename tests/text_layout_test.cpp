// DrawTextA's layout without fonts: every character advances 5 pixels and a space 3, so
// that every line break, position and extent below can be worked out by hand. The line
// height is 13 (ascent 10) with an external leading of 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text/layout.h"

namespace sheenwork::text {
namespace {

using gdi::Rect;

constexpr int kLine = 13;

int Advance(unsigned char c) { return c == ' ' ? 3 : 5; }

gdi::TextMetric Metrics() {
    gdi::TextMetric tm;
    tm.tmHeight = kLine;
    tm.tmAscent = 10;
    tm.tmDescent = 3;
    tm.tmExternalLeading = 2;
    return tm;
}

TextLayout Lay(const char* text, Rect rect, unsigned format, int count = -1,
               const gdi::TextMetric& tm = Metrics()) {
    return LayOutText(text, count, rect, format, tm, Advance);
}

std::vector<std::string> Texts(const TextLayout& layout) {
    std::vector<std::string> out;
    for (const LaidLine& line : layout.lines) out.push_back(line.text);
    return out;
}

using Lines = std::vector<std::string>;

// --- word breaks -------------------------------------------------------------------

TEST(TextLayoutWordBreak, LeftLinesKeepTheSpaceBeforeTheBreakCentredAndRightDropIt) {
    // "aaa bbb" is 33 wide; 30 holds "aaa b" and breaks after the space.
    const TextLayout left = Lay("aaa bbb", Rect{0, 0, 30, 100}, gdi::DT_WORDBREAK);
    ASSERT_EQ(Texts(left), (Lines{"aaa ", "bbb"}));
    EXPECT_EQ(left.lines[0].width, 18);
    EXPECT_EQ(left.lines[1].y, kLine);

    const TextLayout centre =
        Lay("aaa bbb", Rect{0, 0, 30, 100}, gdi::DT_WORDBREAK | gdi::DT_CENTER);
    ASSERT_EQ(Texts(centre), (Lines{"aaa", "bbb"}));
    EXPECT_EQ(centre.lines[0].width, 15);
    EXPECT_EQ(centre.lines[0].x, 7);  // (30 - 15) / 2

    const TextLayout right = Lay("aaa bbb", Rect{0, 0, 30, 100}, gdi::DT_WORDBREAK | gdi::DT_RIGHT);
    ASSERT_EQ(Texts(right), (Lines{"aaa", "bbb"}));
    EXPECT_EQ(right.lines[0].x, 15);
}

TEST(TextLayoutWordBreak, AWordWiderThanTheLineStaysWholeAndSwallowsOneSpace) {
    const TextLayout t = Lay("abcdefgh ij", Rect{0, 0, 20, 100}, gdi::DT_WORDBREAK);
    ASSERT_EQ(Texts(t), (Lines{"abcdefgh", "ij"}));
    EXPECT_EQ(t.lines[0].width, 40);
    // Only one: the second space starts the next line.
    EXPECT_EQ(Texts(Lay("abcdefgh  ij", Rect{0, 0, 20, 100}, gdi::DT_WORDBREAK)),
              (Lines{"abcdefgh", " ij"}));
    // A long word after a short one goes on a line of its own.
    EXPECT_EQ(Texts(Lay("ab cdefghij", Rect{0, 0, 20, 100}, gdi::DT_WORDBREAK)),
              (Lines{"ab ", "cdefghij"}));
}

TEST(TextLayoutWordBreak, AHyphenBreaksBeforeALetterButNotBeforeADigit) {
    EXPECT_EQ(Texts(Lay("well-known", Rect{0, 0, 30, 100}, gdi::DT_WORDBREAK)),
              (Lines{"well-", "known"}));
    EXPECT_EQ(Texts(Lay("ab-12345", Rect{0, 0, 30, 100}, gdi::DT_WORDBREAK)), (Lines{"ab-12345"}));
}

// --- "&" prefixes ----------------------------------------------------------------

TEST(TextLayoutPrefix, AmpersandsMarkTheNextCharacterAndDisappear) {
    struct Case {
        const char* text;
        const char* shown;
        int prefix;
    };
    const Case cases[] = {
        {"Save &As", "Save As", 5},
        {"&&", "&", -1},
        {"a&&b", "a&b", -1},
        {"ab&", "ab&", -1},    // a last "&" shows as itself
        {"&&&x", "&x", 1},     // "&&" then "&x"
        {"&a&b&c", "abc", 2},  // several marks: the last one counts
        {"&", "&", -1},
    };
    for (const Case& c : cases) {
        const TextLayout t = Lay(c.text, Rect{0, 0, 200, 100}, gdi::DT_LEFT);
        ASSERT_EQ(t.lines.size(), 1u) << c.text;
        EXPECT_EQ(t.lines[0].text, c.shown) << c.text;
        EXPECT_EQ(t.lines[0].prefix, c.prefix) << c.text;
        int width = 0;
        for (const char* p = c.shown; *p != 0; ++p)
            width += Advance(static_cast<unsigned char>(*p));
        EXPECT_EQ(t.lines[0].width, width) << c.text;
    }
}

// --- line ends -------------------------------------------------------------------

TEST(TextLayoutLineEnds, CrLfAndTheirPairsEndOneLineRepeatsEndSeveral) {
    struct Case {
        const char* text;
        Lines lines;
    };
    const Case cases[] = {
        {"a\rb", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\n\rb", {"a", "b"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\n", {"a"}},
        {"\nb", {"", "b"}},
    };
    for (const Case& c : cases) {
        const TextLayout t = Lay(c.text, Rect{0, 0, 200, 100}, gdi::DT_LEFT);
        EXPECT_EQ(Texts(t), c.lines) << testing::PrintToString(std::string(c.text));
        EXPECT_EQ(t.result, kLine * static_cast<int>(c.lines.size()))
            << testing::PrintToString(std::string(c.text));
    }
}

TEST(TextLayoutLineEnds, SingleLineIgnoresLineEndsAndWordBreaks) {
    const TextLayout t = Lay("a\r\nb", Rect{0, 0, 200, 100}, gdi::DT_SINGLELINE);
    ASSERT_EQ(Texts(t), (Lines{"a\r\nb"}));
    EXPECT_EQ(t.lines[0].width, 20);
    EXPECT_EQ(Texts(Lay("aaa bbb", Rect{0, 0, 20, 100}, gdi::DT_SINGLELINE | gdi::DT_WORDBREAK)),
              (Lines{"aaa bbb"}));
}

// --- positions -------------------------------------------------------------------

TEST(TextLayoutPosition, VerticalCentreAndBottomApplyToSingleLinesAndTruncateTowardsZero) {
    const unsigned single = gdi::DT_SINGLELINE;
    // 10 + 21 / 2 - 13 / 2 = 10 + 10 - 6.
    EXPECT_EQ(Lay("a", Rect{0, 10, 50, 31}, single | gdi::DT_VCENTER).lines[0].y, 14);
    EXPECT_EQ(Lay("a", Rect{0, 10, 50, 31}, single | gdi::DT_BOTTOM).lines[0].y, 18);
    // An inverted rectangle: -5 / 2 is -2, not -3.
    EXPECT_EQ(Lay("a", Rect{0, 0, 50, -5}, single | gdi::DT_VCENTER).lines[0].y, -8);
    EXPECT_EQ(Lay("a", Rect{0, 0, 50, -5}, single | gdi::DT_BOTTOM).lines[0].y, -18);
    // Shorter than a line: the cell starts above the rectangle.
    EXPECT_EQ(Lay("a", Rect{0, 0, 50, 7}, single | gdi::DT_VCENTER).lines[0].y, -3);
    // Without DT_SINGLELINE both are ignored.
    EXPECT_EQ(Lay("a", Rect{0, 10, 50, 31}, gdi::DT_VCENTER).lines[0].y, 10);
    EXPECT_EQ(Lay("a", Rect{0, 10, 50, 31}, gdi::DT_BOTTOM).lines[0].y, 10);
    // The result counts from the rectangle's top to the end of the moved line.
    EXPECT_EQ(Lay("a", Rect{0, 10, 50, 31}, single | gdi::DT_VCENTER).result, 17);
}

TEST(TextLayoutPosition, CentringTruncatesTowardsZeroAlsoForNegativeRoom) {
    struct Case {
        Rect rect;
        const char* text;
        int x;
    };
    const Case cases[] = {
        {Rect{0, 0, 20, 50}, "aaa", 2},   // 5 / 2
        {Rect{1, 0, 20, 50}, "aaa", 3},   // 6 / 2
        {Rect{0, 0, 10, 50}, "aaa", -2},  // -5 / 2, not -3
        {Rect{-10, 0, 0, 50}, "a", -7},   // -15 / 2, not -8
        {Rect{20, 0, 10, 50}, "a", 12},   // inverted: 25 / 2
        {Rect{0, 0, 21, 50}, "aa a", 1},  // 18 wide: 3 / 2
    };
    for (const Case& c : cases)
        EXPECT_EQ(Lay(c.text, c.rect, gdi::DT_CENTER).lines[0].x, c.x)
            << c.text << " in " << c.rect.left << ".." << c.rect.right;
    EXPECT_EQ(Lay("aaa", Rect{0, 0, 10, 50}, gdi::DT_RIGHT).lines[0].x, -5);
}

// --- clipping at the bottom --------------------------------------------------------

TEST(TextLayoutClip, TheLineThatReachesPastTheBottomIsTheLastOne) {
    const char* four = "a\nb\nc\nd";
    // Line 2 (13..26) passes 20: it is drawn, line 3 is not.
    const TextLayout t = Lay(four, Rect{0, 0, 50, 20}, gdi::DT_LEFT);
    EXPECT_EQ(Texts(t), (Lines{"a", "b"}));
    EXPECT_EQ(t.result, 2 * kLine);
    // Line 2 ends exactly at 26, so line 3 is laid out (and passes it).
    EXPECT_EQ(Texts(Lay(four, Rect{0, 0, 50, 26}, gdi::DT_LEFT)), (Lines{"a", "b", "c"}));
    // A rectangle of no height still gets its first line.
    const TextLayout none = Lay(four, Rect{0, 0, 50, 0}, gdi::DT_LEFT);
    EXPECT_EQ(Texts(none), (Lines{"a"}));
    EXPECT_TRUE(none.draw);
    // Neither DT_NOCLIP nor DT_CALCRECT stop early.
    EXPECT_EQ(Lay(four, Rect{0, 0, 50, 20}, gdi::DT_NOCLIP).lines.size(), 4u);
    EXPECT_EQ(Lay(four, Rect{0, 0, 50, 20}, gdi::DT_CALCRECT).lines.size(), 4u);
}

// --- DT_CALCRECT and the result ----------------------------------------------------

TEST(TextLayoutCalcRect, EmptyTextIsOneLineHighButMeasuresEmpty) {
    const TextLayout multi = Lay("", Rect{5, 7, 40, 50}, gdi::DT_CALCRECT | gdi::DT_WORDBREAK);
    EXPECT_EQ(multi.result, kLine);
    EXPECT_EQ(multi.rect, (Rect{5, 7, 5, 7}));
    const TextLayout single = Lay("", Rect{5, 7, 40, 50}, gdi::DT_CALCRECT | gdi::DT_SINGLELINE);
    EXPECT_EQ(single.result, kLine);
    EXPECT_EQ(single.rect, (Rect{5, 7, 5, 7 + kLine}));
    // Drawn, an empty text reports the line height and draws nothing.
    const TextLayout drawn = Lay("", Rect{5, 7, 40, 50}, gdi::DT_LEFT);
    EXPECT_EQ(drawn.result, kLine);
    EXPECT_FALSE(drawn.draw);
    EXPECT_TRUE(drawn.lines.empty());
}

TEST(TextLayoutCalcRect, ACountOfZeroChangesNothingAndACountLimitsTheText) {
    const Rect r{5, 7, 40, 50};
    const TextLayout zero = Lay("abc", r, gdi::DT_CALCRECT, 0);
    EXPECT_EQ(zero.result, 0);
    EXPECT_EQ(zero.rect, r);
    EXPECT_FALSE(zero.draw);
    EXPECT_EQ(Lay("abc", r, gdi::DT_LEFT, 0).result, 0);
    const TextLayout two = Lay("abc", r, gdi::DT_CALCRECT, 2);
    EXPECT_EQ(Texts(two), (Lines{"ab"}));
    EXPECT_EQ(two.rect.right, 15);
    // A count that ends on an "&" leaves it showing, as at the end of the string.
    EXPECT_EQ(Texts(Lay("a&b", r, gdi::DT_LEFT, 2)), (Lines{"a&"}));
}

// --- the "&" underline -------------------------------------------------------------

TEST(TextUnderline, SpansTheMarkedCharacterLessItsLastColumnOneRowBelowTheBaseline) {
    LaidLine line;
    line.text = "Save As";
    line.x = 10;
    line.y = 4;
    line.prefix = 5;  // "A": columns 33..37 of its advance
    const gdi::TextMetric tm = Metrics();
    const PrefixUnderline u = UnderlineOf(line, tm, nullptr, Advance);
    EXPECT_TRUE(u.visible);
    EXPECT_EQ(u.row, 15);  // 4 + ascent 10 + 1
    EXPECT_EQ(u.from, 33);
    EXPECT_EQ(u.to, 37);

    line.prefix = 0;
    const PrefixUnderline first = UnderlineOf(line, tm, nullptr, Advance);
    EXPECT_EQ(first.from, 10);
    EXPECT_EQ(first.to, 14);

    for (int none : {-1, 7, 99}) {
        line.prefix = none;
        EXPECT_FALSE(UnderlineOf(line, tm, nullptr, Advance).visible) << none;
    }
}

TEST(TextUnderline, IsCutToTheRectanglesColumnsAndDroppedOutsideItsRows) {
    LaidLine line;
    line.text = "Save As";
    line.x = 10;
    line.y = 4;
    line.prefix = 5;  // row 15, columns [33, 37)
    const gdi::TextMetric tm = Metrics();
    struct Case {
        Rect clip;
        bool visible;
        int from, to;
    };
    const Case cases[] = {
        {Rect{0, 0, 100, 50}, true, 33, 37},
        {Rect{0, 0, 100, 15}, true, 33, 37},  // the row on the bottom edge still shows
        {Rect{0, 0, 100, 14}, false, 0, 0},
        {Rect{0, 15, 100, 50}, true, 33, 37},
        {Rect{0, 16, 100, 50}, false, 0, 0},
        {Rect{35, 0, 100, 50}, true, 35, 37},
        {Rect{0, 0, 35, 50}, true, 33, 35},
        {Rect{34, 0, 36, 50}, true, 34, 36},
        {Rect{37, 0, 100, 50}, false, 0, 0},
        {Rect{38, 0, 100, 50}, false, 0, 0},
        {Rect{0, 0, 33, 50}, false, 0, 0},
        {Rect{0, 0, 20, 50}, false, 0, 0},
        {Rect{100, 50, 0, 0}, false, 0, 0},  // inverted
    };
    for (const Case& c : cases) {
        const PrefixUnderline u = UnderlineOf(line, tm, &c.clip, Advance);
        const std::string where = std::to_string(c.clip.left) + "," + std::to_string(c.clip.top) +
                                  "," + std::to_string(c.clip.right) + "," +
                                  std::to_string(c.clip.bottom);
        ASSERT_EQ(u.visible, c.visible) << where;
        if (!c.visible) continue;
        EXPECT_EQ(u.row, 15) << where;
        EXPECT_EQ(u.from, c.from) << where;
        EXPECT_EQ(u.to, c.to) << where;
    }
}

TEST(TextLayoutReuse, ALayoutFilledAgainHoldsOnlyTheNewText) {
    // DrawTextA keeps one layout and fills it for every call: texts of more and fewer
    // lines, with and without an underlined character, measured and drawn, must each come
    // out as a layout of their own does.
    struct Call {
        const char* text;
        Rect rect;
        unsigned format;
        int count;
    };
    const Call calls[] = {
        {"&Open the door now", {0, 0, 40, 100}, gdi::DT_WORDBREAK, -1},
        {"x", {5, 5, 40, 100}, gdi::DT_CENTER, -1},
        {"one\ntwo\nthree", {0, 0, 60, 100}, gdi::DT_CALCRECT, -1},
        {"", {0, 0, 40, 20}, gdi::DT_SINGLELINE, -1},
        {"A&&B &c", {0, 0, 60, 20}, gdi::DT_RIGHT, -1},
        {"two words", {0, 0, 20, 100}, gdi::DT_WORDBREAK | gdi::DT_CENTER, -1},
        {"cut", {0, 0, 40, 20}, 0, 0},
        {"&Open the door now", {0, 0, 40, 100}, gdi::DT_WORDBREAK, 7},
    };
    // Everything a layout says, line by line, as text.
    const auto said = [](const TextLayout& l) {
        std::string out = std::to_string(l.result) + (l.calc ? " calc " : " ") +
                          (l.draw ? "draw " : "") + std::to_string(l.rect.right) + "," +
                          std::to_string(l.rect.bottom);
        for (const LaidLine& line : l.lines)
            out += " [" + line.text + " " + std::to_string(line.prefix) + " " +
                   std::to_string(line.x) + "," + std::to_string(line.y) + " " +
                   std::to_string(line.width) + "]";
        return out;
    };
    TextLayout reused;
    for (int pass = 0; pass < 2; ++pass)
        for (const Call& c : calls) {
            LayOutText(c.text, c.count, c.rect, c.format, Metrics(), Advance, reused);
            EXPECT_EQ(said(reused), said(Lay(c.text, c.rect, c.format, c.count))) << c.text;
        }
}

}  // namespace
}  // namespace sheenwork::text
