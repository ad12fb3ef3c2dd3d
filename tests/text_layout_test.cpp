// DrawTextA's layout without fonts: every character advances 5 pixels and a space 3, so
// that every line break, position and extent below can be worked out by hand. The line
// height is 13 (ascent 10) with an external leading of 2.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/text/layout.h"
#include "scenes/scenes.h"
#include "support/data.h"

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

// The call a row of tests/data/text_layout.txt makes: into a layout of its own, or into
// `reused`, filled again.
TextLayout LayOut(const testing::Row& row, TextLayout* reused = nullptr) {
    const std::string text = scenes::Unquote(row[0]);
    Rect r;
    std::istringstream(row[1]) >> r.left >> r.top >> r.right >> r.bottom;
    const auto format = static_cast<unsigned>(scenes::Number(row[2]));
    if (reused == nullptr)
        return LayOutText(text.data(), std::stoi(row[3]), r, format, Metrics(), Advance);
    LayOutText(text.data(), std::stoi(row[3]), r, format, Metrics(), Advance, *reused);
    return *reused;
}

// One call of the layout and what it must say: tests/data/text_layout.txt.
class TextLayoutTable : public ::testing::TestWithParam<testing::Row> {};

TEST_P(TextLayoutTable, SaysWhatTheRowSays) {
    const testing::Row& row = GetParam();
    const TextLayout t = LayOut(row);
    std::istringstream checks(row[4]);
    for (std::string check; std::getline(checks, check, ';');) {
        const auto w = scenes::Split(check);
        const auto n = [&](std::size_t i) { return std::stoi(w.at(i)); };
        const auto line = [&]() -> const LaidLine& {
            return t.lines.at(static_cast<std::size_t>(n(1)));
        };
        if (w[0] == "lines") {
            std::vector<std::string> want, got;
            for (std::size_t i = 1; i < w.size(); ++i) want.push_back(scenes::Unquote(w[i]));
            for (const LaidLine& laid : t.lines) got.push_back(laid.text);
            EXPECT_EQ(got, want) << row.where;
        } else if (w[0] == "count") {
            EXPECT_EQ(t.lines.size(), static_cast<std::size_t>(n(1))) << row.where;
        } else if (w[0] == "x") {
            EXPECT_EQ(line().x, n(2)) << row.where;
        } else if (w[0] == "y") {
            EXPECT_EQ(line().y, n(2)) << row.where;
        } else if (w[0] == "width") {
            EXPECT_EQ(line().width, n(2)) << row.where;
        } else if (w[0] == "prefix") {
            EXPECT_EQ(line().prefix, n(2)) << row.where;
        } else if (w[0] == "result") {
            EXPECT_EQ(t.result, n(1)) << row.where;
        } else if (w[0] == "rect") {
            EXPECT_EQ(t.rect, (Rect{n(1), n(2), n(3), n(4)})) << row.where;
        } else if (w[0] == "draw") {
            EXPECT_EQ(t.draw, w.at(1) == "yes") << row.where;
        } else {
            ADD_FAILURE() << row.where << ": no check " << w[0];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TextLayoutTable,
                         ::testing::ValuesIn(testing::ReadTable("text_layout.txt")),
                         testing::RowName);

// --- the "&" underline -------------------------------------------------------------

// tests/data/text_underline.txt: the underline of one marked character.
class TextUnderline : public ::testing::TestWithParam<testing::Row> {};

TEST_P(TextUnderline, SpansTheMarkedCharacterWithinTheClip) {
    const testing::Row& row = GetParam();
    LaidLine line{"Save As", 10, 4, 0, std::stoi(row[0])};
    Rect clip;
    std::istringstream(row[1]) >> clip.left >> clip.top >> clip.right >> clip.bottom;
    const PrefixUnderline u =
        UnderlineOf(line, Metrics(), row[1] == "none" ? nullptr : &clip, Advance);
    std::ostringstream said;
    if (u.visible) said << u.row << " " << u.from << " " << u.to;
    EXPECT_EQ(u.visible ? said.str() : "none", row[2]) << row.where;
}

INSTANTIATE_TEST_SUITE_P(Table, TextUnderline,
                         ::testing::ValuesIn(testing::ReadTable("text_underline.txt")),
                         testing::RowName);

// DrawTextA keeps one layout and fills it for every call: the calls of the table, texts of
// more and fewer lines, with and without an underlined character, measured and drawn, each
// twice over, must each come out as a layout of their own does.
TEST(TextLayoutReuse, ALayoutFilledAgainHoldsOnlyTheNewText) {
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
    const auto rows = testing::ReadTable("text_layout.txt");
    TextLayout reused;
    for (int pass = 0; pass < 2; ++pass)
        for (const testing::Row& row : rows) {
            EXPECT_EQ(said(LayOut(row, &reused)), said(LayOut(row))) << row.where;
        }
}

}  // namespace
}  // namespace sheenwork::text
