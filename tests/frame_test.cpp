// The frame painters pixel for pixel: the gradient fill, the XP bodies, the Office and
// browser-toolbar looks, the drop-down section and the highlight borders.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <random>
#include <sstream>
#include <thread>

#include "button_scenes/button_scenes.h"
#include "render/basButton.h"
#include "render/redraw.h"
#include "scenes/scenes.h"
#include "support/button_fixture.h"
#include "support/data.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using gdi::ColorRef;
using testing::ButtonFixture;
using Log = std::vector<std::string>;

constexpr ColorRef kSentinel = 0x123456;
constexpr ColorRef kCorner = 0xFF00FF;
constexpr ColorRef kWhite = 0xFFFFFF;

// A bitmap filled with kSentinel, for calling DrawGradient on its own.
struct Canvas {
    Canvas(int w, int h) : width(w), height(h) {
        dc = gdi->CreateCompatibleDC(nullptr);
        bitmap = gdi->CreateSurfaceBitmap(w, h);
        old = gdi->SelectObject(dc, bitmap);
        const gdi::Rect all{0, 0, w, h};
        auto brush = gdi->CreateSolidBrush(kSentinel);
        gdi->FillRect(dc, &all, brush);
        gdi->DeleteObject(brush);
    }
    ~Canvas() {
        gdi->SelectObject(dc, old);
        gdi->DeleteObject(bitmap);
        gdi->DeleteDC(dc);
    }
    ColorRef At(int x, int y) { return gdi->GetPixel(dc, x, y); }
    std::vector<ColorRef> Row(int y) {
        std::vector<ColorRef> row;
        for (int x = 0; x < width; ++x) row.push_back(At(x, y));
        return row;
    }
    bool Untouched() {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) != kSentinel) return false;
        return true;
    }
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi();
    int width, height;
    gdi::Hdc dc;
    gdi::Hgdiobj bitmap, old;
};

class GradientTest : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
};

TEST_F(GradientTest, VerticalBandAdvancesOneStepPerPixelFromTheBottomUp) {
    // (0, 0, 10, 2) from 0 to red 8: the bottom row holds red 0..3, the top row 4..7,
    // each stretched over ten columns (source column floor(4x / 10)).
    Canvas c(10, 2);
    const gdi::Rect rc{0, 0, 10, 2};
    DrawGradient(*c.gdi, c.dc, &rc, 0x000000, 0x000008, 1);
    EXPECT_EQ(c.Row(1), (std::vector<ColorRef>{0, 0, 0, 1, 1, 2, 2, 2, 3, 3}));
    EXPECT_EQ(c.Row(0), (std::vector<ColorRef>{4, 4, 4, 5, 5, 6, 6, 6, 7, 7}));
}

TEST_F(GradientTest, ComponentsRoundHalfToEven) {
    // One row from red 0 to 1: quarter steps 0, 0.25, 0.5, 0.75 give 0, 0, 0, 1 (0.5
    // goes to the even 0). Blue runs 255 -> 253: 255, 254.5, 254, 253.5 -> 255, 254, 254, 254.
    Canvas c(4, 1);
    const gdi::Rect rc{0, 0, 4, 1};
    DrawGradient(*c.gdi, c.dc, &rc, 0xFF0000, 0xFD0001, 1);
    EXPECT_EQ(c.Row(0), (std::vector<ColorRef>{0xFF0000, 0xFE0000, 0xFE0000, 0xFE0001}));
}

TEST_F(GradientTest, BandsDrawnInTurnShowTheirOwnColoursAsOnAFirstDraw) {
    // The bytes of recent bands are kept for the next paint. Bands of a few sizes (so that
    // sizes repeat with other colours) in both directions, more than are kept and each
    // again later, must look as they do when drawn first, on a thread of their own.
    std::mt19937 rng(18);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    const auto draw = [](const gdi::Rect& rc, vb::Long from, vb::Long to, vb::Long direction) {
        Canvas c(rc.right, rc.bottom);
        DrawGradient(*c.gdi, c.dc, &rc, from, to, direction);
        return c.gdi->ReadBitmap(c.bitmap);
    };
    struct Band {
        gdi::Rect rc;
        vb::Long from, to, direction;
    };
    std::vector<Band> bands;
    for (int i = 0; i < 6; ++i)
        bands.push_back({gdi::Rect{0, 0, pick(1, 3) * 5, pick(1, 3) * 3},
                         static_cast<vb::Long>(rng() & 0xFFFFFF),
                         static_cast<vb::Long>(rng() & 0xFFFFFF), pick(0, 1)});
    for (int k = 0; k < 40; ++k) {
        const Band& b = bands[static_cast<std::size_t>(pick(0, 5))];
        std::vector<ColorRef> first;
        std::thread([&] { first = draw(b.rc, b.from, b.to, b.direction); }).join();
        EXPECT_EQ(draw(b.rc, b.from, b.to, b.direction), first) << "draw " << k;
    }
}

TEST_F(GradientTest, OverflowingSizesAreReportedAndDrawNothing) {
    for (const auto& rc : {gdi::Rect{0, 0, 4, INT_MAX}, gdi::Rect{INT_MIN, 0, INT_MAX, 4}}) {
        for (const vb::Boolean silent : {vb::False, vb::True}) {
            services.boxes.clear();
            SetSilentError(silent);
            Canvas c(4, 4);
            DrawGradient(*c.gdi, c.dc, &rc, 0, 0xFFFFFF, 1);
            EXPECT_TRUE(c.Untouched());
            if (silent) {
                EXPECT_TRUE(services.boxes.empty());
            } else {
                ASSERT_EQ(services.boxes.size(), 1u);
                EXPECT_NE(services.boxes[0].text.find("0/DrawGradient"), std::string::npos);
                EXPECT_NE(services.boxes[0].text.find("basButton"), std::string::npos);
                EXPECT_NE(services.boxes[0].text.find("Overflow"), std::string::npos);
            }
        }
    }
}

// A button of the given size on a recording site with the real painters.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override { SetSilentError(vb::False); }

    void Make(int w, int h) {
        f = std::make_unique<ButtonFixture>(w, h);
        f->button.SetPainters(DefaultPainters());
        rec().CornerColor = kCorner;
    }
    ButtonRecord& rec() { return f->rec(); }
    host::Surface& surface() { return f->site.Surface(); }

    // Only the body painter of the current ButtonStyle, on a cleared surface.
    void PaintBody(const std::string& sDrawState = {}) {
        ps = PaintState{};
        ps.sDrawState = sDrawState;
        surface().Cls();
        PaintContext c{rec(), f->site, surface(), ps};
        if (rec().ButtonStyle == cButtonWinXP)
            DefaultPainters()->XPBody(c);
        else
            DefaultPainters()->OfficeBody(c);
    }
    void PaintRing(const std::string& sColor) {
        PaintState none;
        PaintContext c{rec(), f->site, surface(), none};
        DefaultPainters()->drawMLine(c, sColor);
    }
    ColorRef At(int x, int y) { return surface().Gdi().GetPixel(surface().hDC(), x, y); }
    // Pixels x0..x1 (both included) of row y all `color`.
    ::testing::AssertionResult RowIs(int y, int x0, int x1, ColorRef color) {
        for (int x = x0; x <= x1; ++x)
            if (At(x, y) != color)
                return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is " << std::hex
                                                     << At(x, y) << ", not " << color;
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult ColumnIs(int x, int y0, int y1, ColorRef color) {
        for (int y = y0; y <= y1; ++y)
            if (At(x, y) != color)
                return ::testing::AssertionFailure() << "(" << x << ", " << y << ") is " << std::hex
                                                     << At(x, y) << ", not " << color;
        return ::testing::AssertionSuccess();
    }
    std::vector<ColorRef> Pixels() { return surface().Pixels(); }

    testing::RecordingServices services;
    std::unique_ptr<ButtonFixture> f;
    PaintState ps;
};

// The cases of tests/data/paint/frames.txt: a new button, assignments, paints and the
// pixels each must leave.
struct PaintCase {
    std::string name, where;
    int w = 0, h = 0;
    std::vector<std::vector<std::string>> lines;
};
void PrintTo(const PaintCase& c, std::ostream* os) { *os << c.where; }

std::vector<PaintCase> PaintCases() {
    std::vector<PaintCase> out;
    std::istringstream in(testing::ReadFile(testing::DataPath("paint/frames.txt")));
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        auto w = scenes::Split(line);
        if (w.empty()) continue;
        if (w[0] == "case")
            out.push_back({w.at(1),
                           "frames.txt:" + std::to_string(number),
                           std::stoi(w.at(2)),
                           std::stoi(w.at(2).substr(w.at(2).find('x') + 1)),
                           {}});
        else if (!out.empty())
            out.back().lines.push_back(std::move(w));
    }
    return out;
}

class FramePaint : public FrameTest, public ::testing::WithParamInterface<PaintCase> {};

TEST_P(FramePaint, LeavesThePixelsWorkedOutByHand) {
    const PaintCase& c = GetParam();
    Make(c.w, c.h);
    for (const auto& w : c.lines) {
        SCOPED_TRACE(c.where + ": " + w[0]);
        const auto n = [&](std::size_t i) { return static_cast<int>(scenes::Number(w.at(i))); };
        const auto color = [&](std::size_t i) {
            return static_cast<ColorRef>(scenes::Number(w.at(i)));
        };
        if (w.size() > 1 && w[1] == "=") {
            scenes::Assign(f->site, rec(), w);
        } else if (w[0] == "back") {
            surface().BackColor(color(1));
        } else if (w[0] == "paint" && w.at(1) == "body") {
            PaintBody(w.size() > 2 ? w[2] : "");
        } else if (w[0] == "paint" && w.at(1) == "ring") {
            PaintRing(w.at(2));
        } else if (w[0] == "row") {
            EXPECT_TRUE(RowIs(n(1), n(2), n(3), color(4)));
        } else if (w[0] == "column") {
            EXPECT_TRUE(ColumnIs(n(1), n(2), n(3), color(4)));
        } else if (w[0] == "pixel" && w.at(3) == "not") {
            EXPECT_NE(At(n(1), n(2)), color(4)) << n(1) << "," << n(2);
        } else if (w[0] == "pixel") {
            EXPECT_EQ(At(n(1), n(2)), color(3)) << n(1) << "," << n(2);
        } else if (w[0] == "forecolor") {
            EXPECT_EQ(surface().ForeColor(), color(1));
        } else {
            ADD_FAILURE() << "no such line";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FramePaint, ::testing::ValuesIn(PaintCases()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST_F(FrameTest, ClassicFocusRectangleOnlyAtRunTimeWithTheFocus) {
    Make(16, 12);
    rec().ColorStyle = cWinClassic;
    const auto before = [&] {
        surface().BackColor(0x000000);
        return Pixels();
    };
    auto blank = before();
    PaintRing("blue");  // no focus
    EXPECT_EQ(Pixels(), blank);
    rec().bHasFocus = vb::True;
    f->site.user_mode = vb::False;
    PaintRing("blue");
    EXPECT_EQ(Pixels(), blank);
    f->site.user_mode = vb::True;
    PaintRing("");  // the name plays no part
    // DrawFocusRect (4, 4, 12, 8): every other outline pixel inverted.
    EXPECT_EQ(At(5, 4), 0xFFFFFFu);
    EXPECT_EQ(At(4, 4), 0x000000u);
    EXPECT_EQ(At(3, 3), 0x000000u);
    EXPECT_EQ(At(6, 6), 0x000000u);
    PaintRing("orange");  // twice restores
    EXPECT_EQ(Pixels(), blank);
    // An unreadable UserMode counts as False and is not reported.
    f->site.FailOn("Ambient.UserMode");
    PaintRing("blue");
    EXPECT_EQ(Pixels(), blank);
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(FrameTest, DropDownSections) {
    struct Case {
        vb::Long align;
        gdi::Rect drop, main;
        int sep_x0, sep_y0, sep_x1, sep_y1;
    };
    for (const Case& k : {Case{2, {64, 0, 80, 24}, {0, 0, 64, 24}, 64, 1, 64, 23},
                          Case{0, {0, 0, 16, 24}, {16, 0, 80, 24}, 16, 1, 16, 23},
                          Case{4, {0, 0, 80, 16}, {0, 16, 80, 24}, 1, 16, 79, 16},
                          Case{7, {0, 8, 80, 24}, {0, 0, 80, 8}, 1, 8, 79, 8},
                          Case{8, {0, 0, 80, 24}, {0, 0, 80, 24}, 0, 0, 0, 0}}) {
        Make(80, 24);
        rec().DropDown = vb::True;
        rec().DropDownAlign = k.align;
        rec().DropDownSeparatorColor = 0x0000FF;
        rec().DropDownColor = 0x00FF00;
        PaintState state;
        PaintContext c{rec(), f->site, surface(), state};
        DefaultPainters()->DropDownGlyph(c);
        EXPECT_EQ(state.rcDropDown, k.drop) << k.align;
        EXPECT_EQ(state.rcMain, k.main) << k.align;
        EXPECT_EQ(state.ptSeparator, (RECT{k.sep_x0, k.sep_y0, k.sep_x1, k.sep_y1})) << k.align;
        EXPECT_TRUE(state.bGlyphDrawn);
        EXPECT_EQ(surface().ForeColor(), 0x00FF00u);
        f->button.Redraw(0);
        int red = 0;
        for (ColorRef px : Pixels()) red += px == 0x0000FF;
        const int length = (k.sep_x1 - k.sep_x0) + (k.sep_y1 - k.sep_y0) + 1;
        EXPECT_EQ(red, length) << k.align;
        EXPECT_EQ(At(k.sep_x0, k.sep_y0), 0x0000FFu);
        EXPECT_EQ(At(k.sep_x1, k.sep_y1), 0x0000FFu);
    }
}

TEST_F(FrameTest, DropDownGlyphRunsOnlyInItsPasses) {
    Make(80, 24);
    rec().DropDownSeparatorColor = 0x0000FF;
    auto separator_pixels = [&] {
        f->button.Redraw(0);
        int red = 0;
        for (ColorRef px : Pixels()) red += px == 0x0000FF;
        return red;
    };
    EXPECT_EQ(separator_pixels(), 0);  // no drop-down
    rec().DropDown = vb::True;
    rec().DropDownSeparator = vb::False;
    EXPECT_EQ(separator_pixels(), 0);
    rec().DropDownSeparator = vb::True;
    EXPECT_EQ(separator_pixels(), 23);
    // The button pressed, its section not: the glyph step runs.
    rec().sState = "down";
    EXPECT_EQ(separator_pixels(), 23);
    // A pressed section: the first pass draws nothing, the second both, and the
    // section shows the pressed body while the main part shows the normal one.
    rec().sDropDownState = "down";
    rec().bMouseOver = vb::True;
    EXPECT_EQ(separator_pixels(), 23);
    EXPECT_EQ(At(66, 20), 0xD7E0E0u);  // pressed fill of the blue scheme, beside the glyph
    EXPECT_NE(At(30, 12), 0xD7E0E0u);
    EXPECT_EQ(At(30, 1), 0xCFF0FFu);  // the first pass's hover border on the main part
}

// Without the symbol font a solid triangle stands in for the arrow: a base of 2k + 1
// pixels and k + 1 rows (columns) to the tip, k a quarter of the font's 13 or 26 pixels,
// centred in the section as DrawTextA centres, pointing the glyph's way. Each row (or
// column, for left and right) is listed with its first pixel and its length.
TEST_F(FrameTest, StandInArrowIsASolidCentredTriangle) {
    struct Run {
        int at, first, length;
        bool operator==(const Run&) const = default;
    };
    struct Case {
        vb::Long align;
        double points;
        std::vector<Run> runs;
    };
    // Sections of an 80 x 24 button, size 16: right (64, 0, 80, 24), top (0, 0, 80, 16).
    // clang-format off
    const std::vector<Case> cases = {
        {cDropDownRightDown, 9.75, {{10, 68, 7}, {11, 69, 5}, {12, 70, 3}, {13, 71, 1}}},
        {cDropDownRightUp, 9.75, {{10, 71, 1}, {11, 70, 3}, {12, 69, 5}, {13, 68, 7}}},
        {cDropDownTopRight, 9.75, {{38, 4, 7}, {39, 5, 5}, {40, 6, 3}, {41, 7, 1}}},
        {cDropDownTopLeft, 9.75, {{38, 7, 1}, {39, 6, 3}, {40, 5, 5}, {41, 4, 7}}},
        {cDropDownRightDown, 19.5, {{8, 65, 13}, {9, 66, 11}, {10, 67, 9}, {11, 68, 7},
                                    {12, 69, 5}, {13, 70, 3}, {14, 71, 1}}},
        {cDropDownRightUp, 19.5, {{8, 71, 1}, {9, 70, 3}, {10, 69, 5}, {11, 68, 7},
                                  {12, 67, 9}, {13, 66, 11}, {14, 65, 13}}},
        {cDropDownTopRight, 19.5, {{36, 1, 13}, {37, 2, 11}, {38, 3, 9}, {39, 4, 7},
                                   {40, 5, 5}, {41, 6, 3}, {42, 7, 1}}},
        {cDropDownTopLeft, 19.5, {{36, 7, 1}, {37, 6, 3}, {38, 5, 5}, {39, 4, 7},
                                  {40, 3, 9}, {41, 2, 11}, {42, 1, 13}}},
    };
    // clang-format on
    for (const Case& k : cases) {
        Make(80, 24);
        rec().DropDown = vb::True;
        rec().DropDownSeparator = vb::False;
        rec().DropDownColor = 0x0000FF;
        rec().DropDownAlign = k.align;
        f->site.lbl_drop_down_font->Name("No Such Symbol Font");
        f->site.lbl_drop_down_font->Size(k.points);
        f->button.Redraw(0);
        const bool by_row = k.align <= cDropDownRightUp;
        std::vector<Run> runs;
        for (int a = 0; a < (by_row ? 24 : 80); ++a) {
            std::vector<int> ink;
            for (int b = 0; b < (by_row ? 80 : 24); ++b)
                if ((by_row ? At(b, a) : At(a, b)) == 0x0000FFu) ink.push_back(b);
            if (ink.empty()) continue;
            // A gap inside a row would be a broken triangle: count the span, not the ink.
            EXPECT_EQ(int(ink.size()), ink.back() - ink.front() + 1) << "row " << a;
            runs.push_back({a, ink.front(), int(ink.size())});
        }
        EXPECT_EQ(runs, k.runs) << "align " << k.align << ", " << k.points << " pt";
    }
}

// A pressed section composes two pictures: the rest of the button (rcMain) as the same
// button paints at rest in one pass, the section as it paints pressed in one pass, then
// the separator. The rectangles and the separator come from the section table, so the
// check shares no geometry with the code under test.
TEST_F(FrameTest, PressedSectionShowsTheRestingButtonAroundThePressedSection) {
    struct Look {
        vb::Long style, scheme;
    };
    constexpr ColorRef kSeparator = 0x0000FF;
    for (const auto [W, H, S] : {std::array{80, 24, 16}, std::array{61, 31, 12}}) {
        for (const Look look :
             {Look{0, cXPBlue}, Look{0, cXPSilver}, Look{0, cXPOlive}, Look{0, cWinClassic},
              Look{0, cCustom}, Look{cButtonOffice, 0}, Look{cButtonIExplorer, 0}}) {
            for (vb::Long align = 0; align <= 8; ++align) {
                for (const bool over : {true, false}) {
                    // rcMain and the separator's ends, per alignment.
                    RECT main{0, 0, W, H};
                    RECT sep{0, 0, 0, 0};
                    if (align <= 1) main.left = S, sep = {S, 1, S, H - 1};
                    if (align == 2 || align == 3)
                        main.right = W - S, sep = {W - S, 1, W - S, H - 1};
                    if (align == 4 || align == 5) main.top = S, sep = {1, S, W - 1, S};
                    if (align == 6 || align == 7)
                        main.bottom = H - S, sep = {1, H - S, W - 1, H - S};
                    const auto paint = [&](const char* state, const char* section) {
                        Make(W, H);
                        rec().Caption = "";
                        rec().ButtonStyle = look.style;
                        rec().ColorStyle = look.scheme;
                        rec().DropDown = vb::True;
                        rec().DropDownSize = static_cast<vb::Integer>(S);
                        rec().DropDownAlign = align;
                        rec().DropDownSeparatorColor = kSeparator;
                        rec().bMouseOver = vb::Boolean(over);
                        rec().bHasFocus = vb::True;
                        rec().sState = state;
                        rec().sDropDownState = section;
                        f->button.Redraw(0);
                        return Pixels();
                    };
                    const auto resting = paint("", ""), pressed = paint("down", "");
                    const auto composed = paint("down", "down");
                    int wrong = 0;
                    for (int y = 0; y < H; ++y) {
                        for (int x = 0; x < W; ++x) {
                            const bool in_main = x >= main.left && x < main.right &&
                                                 y >= main.top && y < main.bottom;
                            const bool on_sep =
                                x >= sep.left && x <= sep.right && y >= sep.top && y <= sep.bottom;
                            const std::size_t i = std::size_t(y) * W + x;
                            const ColorRef want = on_sep    ? kSeparator
                                                  : in_main ? resting[i]
                                                            : pressed[i];
                            if (composed[i] != want && wrong++ < 3)
                                ADD_FAILURE()
                                    << W << "x" << H << " style " << look.style << " scheme "
                                    << look.scheme << " align " << align << " over " << over
                                    << ": (" << x << ", " << y << ") is " << std::hex << composed[i]
                                    << ", not " << want;
                        }
                    }
                }
            }
        }
    }
}

// DrawAdded: event processing first, then the repaint (with its own highlight step) and
// the highlight of the state on top.
TEST(DrawAdded, RepaintsAndHighlightsPerState) {
    testing::RecordingServices services;
    struct Row {
        const char* sState;
        bool focus, over;
        Log expected;
    };
    const std::string rest = "Paint:XPBody \"\" pass 0", down = "Paint:XPBody \"down\" pass 0";
    const std::string none = "Paint:drawMLine \"\"", orange = "Paint:drawMLine \"orange\"",
                      blue = "Paint:drawMLine \"blue\"";
    for (const Row& r : {Row{"", false, true, {"DoEvents", rest, orange, orange}},
                         Row{"", false, false, {"DoEvents", rest, none}},
                         Row{"", true, true, {"DoEvents", rest, orange, orange}},
                         Row{"", true, false, {"DoEvents", rest, blue, blue}},
                         Row{"down", true, false, {"DoEvents", down, orange, orange}},
                         Row{"down", false, false, {"DoEvents", down, orange, orange}},
                         Row{"down", true, true, {"DoEvents"}}}) {
        ButtonFixture f;
        f.rec().sState = r.sState;
        f.rec().bHasFocus = vb::Boolean(r.focus);
        f.rec().bMouseOver = vb::Boolean(r.over);
        f.button.DrawAdded();
        EXPECT_EQ(f.site.log.Only({"DoEvents", "Paint:XPBody", "Paint:drawMLine"}), r.expected)
            << r.sState << r.focus << r.over;
    }
}

}  // namespace
}  // namespace sheenwork
