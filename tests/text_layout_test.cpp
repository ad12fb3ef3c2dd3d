// DrawTextA's layout without fonts: every character advances 5 pixels and a space 3, so
// that every line break, position and extent below can be worked out by hand. The line
// height is 13 (ascent 10) with an external leading of 2.
#include <gtest/gtest.h>

#include <map>
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

// The call a row of tests/data/text_layout.txt makes.
TextLayout LayOut(const testing::Row& row) {
    const std::string text = scenes::Unquote(row[0]);
    Rect r;
    std::istringstream(row[1]) >> r.left >> r.top >> r.right >> r.bottom;
    const auto format = static_cast<unsigned>(scenes::Number(row[2]));
    return LayOutText(text.data(), std::stoi(row[3]), r, format, Metrics(), Advance);
}

// What a layout says, by the names the checks of tests/data/text_layout.txt use: "x 1" is
// line 1's x, "lines" every line's text in brackets.
std::map<std::string, std::string> Said(const TextLayout& t) {
    std::map<std::string, std::string> said = {
        {"count", std::to_string(t.lines.size())},
        {"result", std::to_string(t.result)},
        {"rect", std::to_string(t.rect.left) + " " + std::to_string(t.rect.top) + " " +
                     std::to_string(t.rect.right) + " " + std::to_string(t.rect.bottom)},
        {"draw", t.draw ? "yes" : "no"},
        {"calc", t.calc ? "yes" : "no"}};
    for (std::size_t i = 0; i < t.lines.size(); ++i) {
        const std::string n = " " + std::to_string(i);
        said["lines"] += "[" + t.lines[i].text + "]";
        said["x" + n] = std::to_string(t.lines[i].x);
        said["y" + n] = std::to_string(t.lines[i].y);
        said["width" + n] = std::to_string(t.lines[i].width);
        said["prefix" + n] = std::to_string(t.lines[i].prefix);
    }
    return said;
}

// One call of the layout and what it must say: tests/data/text_layout.txt. A check is a
// name (with a line's number after x, y, width and prefix) and the value it must have.
class TextLayoutTable : public ::testing::TestWithParam<testing::Row> {};

TEST_P(TextLayoutTable, SaysWhatTheRowSays) {
    const testing::Row& row = GetParam();
    const auto said = Said(LayOut(row));
    std::istringstream checks(row[4]);
    for (std::string check; std::getline(checks, check, ';');) {
        const auto w = scenes::Split(check);
        const bool of_line = w[0] == "x" || w[0] == "y" || w[0] == "width" || w[0] == "prefix";
        const std::string name = of_line ? w[0] + " " + w.at(1) : w[0];
        std::string want;
        for (std::size_t i = of_line ? 2 : 1; i < w.size(); ++i)
            want += w[0] == "lines" ? "[" + scenes::Unquote(w[i]) + "]"
                                    : (want.empty() ? "" : " ") + w[i];
        const auto it = said.find(name);
        if (it == said.end() && name != "lines")
            ADD_FAILURE() << row.where << ": no " << name;
        else
            EXPECT_EQ(it == said.end() ? "" : it->second, want) << row.where << ": " << name;
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

}  // namespace
}  // namespace sheenwork::text
