// The frame painters pixel for pixel: the gradient fill, the XP bodies, the Office and
// browser-toolbar looks, the drop-down section and the highlight borders, as the cases of
// tests/data/paint/frames.txt say; the gradient's kept bands and the pressed section's
// composition against models of their own.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>

#include <gtest/gtest.h>

#include <array>
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

constexpr ColorRef kCorner = 0xFF00FF;

// DrawGradient on its own, on a raster bitmap of the band's size; gives the bitmap.
std::vector<ColorRef> Gradient(const gdi::Rect& rc, vb::Long from, vb::Long to, vb::Long dir) {
    auto g = gdi::MakeRasterGdi();
    const auto dc = g->CreateCompatibleDC(nullptr);
    const auto bitmap = g->CreateSurfaceBitmap(rc.right, rc.bottom);
    const auto old = g->SelectObject(dc, bitmap);
    DrawGradient(*g, dc, &rc, from, to, dir);
    auto px = g->ReadBitmap(bitmap);
    g->SelectObject(dc, old);
    g->DeleteObject(bitmap);
    g->DeleteDC(dc);
    return px;
}

TEST(Gradient, BandsDrawnInTurnShowTheirOwnColoursAsOnAFirstDraw) {
    // The bytes of recent bands are kept for the next paint. Bands of a few sizes (so that
    // sizes repeat with other colours) in both directions, more than are kept and each
    // again later, must look as they do when drawn first, on a thread of their own.
    testing::RecordingServices services;
    std::mt19937 rng(18);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
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
        std::thread([&] { first = Gradient(b.rc, b.from, b.to, b.direction); }).join();
        EXPECT_EQ(Gradient(b.rc, b.from, b.to, b.direction), first) << "draw " << k;
    }
    EXPECT_TRUE(services.boxes.empty());
}

// The cases of tests/data/paint/frames.txt: a new button of the given size with the real
// painters and a magenta CornerColor, assignments, paints and the pixels each must leave.
class FramePaint : public ::testing::TestWithParam<testing::Case> {
protected:
    void TearDown() override { SetSilentError(vb::False); }
    testing::RecordingServices services;
};

TEST_P(FramePaint, LeavesThePixelsWorkedOutByHand) {
    const testing::Case& c = GetParam();
    const std::string size = scenes::Split(c.title).at(1);
    const int width = std::stoi(size), height = std::stoi(size.substr(size.find('x') + 1));
    ButtonFixture f(width, height);
    f.button.SetPainters(DefaultPainters());
    ButtonRecord& rec = f.rec();
    rec.CornerColor = kCorner;
    host::Surface& surface = f.site.Surface();
    PaintState ps;
    std::vector<ColorRef> kept;
    const auto at = [&](int x, int y) { return surface.Gdi().GetPixel(surface.hDC(), x, y); };
    for (const auto& [number, line] : c.lines) {
        const std::vector<std::string> w = scenes::Split(line);
        SCOPED_TRACE(c.Where(number) + ": " + line);
        const auto n = [&](std::size_t i) { return static_cast<int>(scenes::Number(w.at(i))); };
        const auto color = [&](std::size_t i) { return static_cast<ColorRef>(n(i)); };
        const auto rect = [&](std::size_t i) { return RECT{n(i), n(i + 1), n(i + 2), n(i + 3)}; };
        const auto run = [&](int x, int y, int dx, int dy, int count, ColorRef want) {
            for (int k = 0; k < count; ++k)
                EXPECT_EQ(at(x + k * dx, y + k * dy), want) << x + k * dx << "," << y + k * dy;
        };
        PaintContext context{rec, f.site, surface, ps};
        if (w.size() > 1 && w[1] == "=") {
            scenes::Assign(f.site, rec, w);
        } else if (w[0] == "back") {
            surface.BackColor(color(1));
        } else if (w[0] == "paint" && w.at(1) == "body") {  // on a cleared surface
            ps = PaintState{};
            ps.sDrawState = w.size() > 2 ? w[2] : "";
            surface.Cls();
            rec.ButtonStyle == cButtonWinXP ? DefaultPainters()->XPBody(context)
                                            : DefaultPainters()->OfficeBody(context);
        } else if (w[0] == "paint" && w.at(1) == "ring") {
            ps = PaintState{};
            DefaultPainters()->drawMLine(context, w.at(2)[0] == '"' ? scenes::Unquote(w[2]) : w[2]);
        } else if (w[0] == "paint" && w.at(1) == "glyph") {
            ps = PaintState{};
            DefaultPainters()->DropDownGlyph(context);
        } else if (w[0] == "paint" && w.at(1) == "button") {
            f.button.Redraw(0);
        } else if (w[0] == "gradient") {
            const gdi::Rect r{n(1), n(2), n(3), n(4)};
            DrawGradient(surface.Gdi(), surface.hDC(), &r, n(5), n(6), n(7));
        } else if (w[0] == "row") {
            run(n(2), n(1), 1, 0, n(3) - n(2) + 1, color(4));
        } else if (w[0] == "column") {
            run(n(1), n(2), 0, 1, n(3) - n(2) + 1, color(4));
        } else if (w[0] == "pixels") {
            for (std::size_t i = 3; i < w.size(); ++i)
                EXPECT_EQ(at(n(2) + int(i) - 3, n(1)), color(i))
                    << n(2) + int(i) - 3 << "," << n(1);
        } else if (w[0] == "pixel" && w.at(3) == "not") {
            EXPECT_NE(at(n(1), n(2)), color(4)) << n(1) << "," << n(2);
        } else if (w[0] == "pixel") {
            EXPECT_EQ(at(n(1), n(2)), color(3)) << n(1) << "," << n(2);
        } else if (w[0] == "count") {
            const auto px = surface.Pixels();
            EXPECT_EQ(std::count(px.begin(), px.end(), color(1)), n(2));
        } else if (w[0] == "runs") {  // runs rows|columns COLOR AT:FIRST:LENGTH ...
            const bool by_row = w.at(1) == "rows";
            std::string said;
            for (int a = 0; a < (by_row ? height : width); ++a) {
                std::vector<int> ink;
                for (int b = 0; b < (by_row ? width : height); ++b)
                    if ((by_row ? at(b, a) : at(a, b)) == color(2)) ink.push_back(b);
                if (ink.empty()) continue;
                // A gap inside a row would be a broken triangle: count the span, not the ink.
                EXPECT_EQ(int(ink.size()), ink.back() - ink.front() + 1) << "at " << a;
                said += " " + std::to_string(a) + ":" + std::to_string(ink.front()) + ":" +
                        std::to_string(ink.size());
            }
            std::string want;
            for (std::size_t i = 3; i < w.size(); ++i) want += " " + w[i];
            EXPECT_EQ(said, want);
        } else if (w[0] == "state") {  // the rectangles the glyph painter left
            const RECT got = w[1] == "rcDropDown" ? ps.rcDropDown
                             : w[1] == "rcMain"   ? ps.rcMain
                                                  : ps.ptSeparator;
            if (w[1] == "bGlyphDrawn")
                EXPECT_EQ(bool(ps.bGlyphDrawn), w.at(2) == "True");
            else
                EXPECT_EQ(got, rect(2)) << w[1];
        } else if (w[0] == "font") {  // font drop "NAME" POINTS
            f.site.lbl_drop_down_font->Name(scenes::Unquote(w.at(2)));
            f.site.lbl_drop_down_font->Size(std::stod(w.at(3)));
        } else if (w[0] == "usermode") {
            f.site.user_mode = vb::Boolean(w.at(1) == "True");
        } else if (w[0] == "fail") {
            f.site.FailOn(w.at(1));
        } else if (w[0] == "boxes") {
            EXPECT_EQ(services.boxes.size(), std::size_t(n(1)));
            for (std::size_t i = 2; i < w.size() && !services.boxes.empty(); ++i)
                EXPECT_NE(services.boxes.back().text.find(w[i]), std::string::npos) << w[i];
        } else if (w[0] == "silent") {
            SetSilentError(vb::Boolean(w.at(1) == "True"));
        } else if (w[0] == "keep") {
            kept = surface.Pixels();
        } else if (w[0] == "same") {
            EXPECT_EQ(surface.Pixels(), kept);
        } else if (w[0] == "forecolor") {
            EXPECT_EQ(surface.ForeColor(), color(1));
        } else {
            ADD_FAILURE() << "no such line";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FramePaint,
                         ::testing::ValuesIn(testing::ReadCases("paint/frames.txt", "case")),
                         testing::CaseName);

// A pressed section composes two pictures: the rest of the button (rcMain) as the same
// button paints at rest in one pass, the section as it paints pressed in one pass, then
// the separator. The rectangles and the separator come from the section table, so the
// check shares no geometry with the code under test.
TEST(DropDown, PressedSectionShowsTheRestingButtonAroundThePressedSection) {
    testing::RecordingServices services;
    constexpr ColorRef kSeparator = 0x0000FF;
    const std::array<vb::Long, 2> looks[] = {
        {0, cXPBlue}, {0, cXPSilver},     {0, cXPOlive},        {0, cWinClassic},
        {0, cCustom}, {cButtonOffice, 0}, {cButtonIExplorer, 0}};
    for (const auto [W, H, S] : {std::array{80, 24, 16}, std::array{61, 31, 12}})
        for (const auto [style, scheme] : looks)
            for (vb::Long align = 0; align <= 8; ++align)
                for (const bool over : {true, false}) {
                    // rcMain and the separator's ends, per alignment.
                    RECT main{0, 0, W, H}, sep{0, 0, 0, 0};
                    if (align <= 1) main.left = S, sep = {S, 1, S, H - 1};
                    if (align == 2 || align == 3)
                        main.right = W - S, sep = {W - S, 1, W - S, H - 1};
                    if (align == 4 || align == 5) main.top = S, sep = {1, S, W - 1, S};
                    if (align == 6 || align == 7)
                        main.bottom = H - S, sep = {1, H - S, W - 1, H - S};
                    const auto paint = [&](const char* state, const char* section) {
                        ButtonFixture f(W, H);
                        f.button.SetPainters(DefaultPainters());
                        ButtonRecord& r = f.rec();
                        r.CornerColor = kCorner;
                        r.Caption = "";
                        r.ButtonStyle = style, r.ColorStyle = scheme;
                        r.DropDown = r.bHasFocus = vb::True;
                        r.DropDownSize = static_cast<vb::Integer>(S), r.DropDownAlign = align;
                        r.DropDownSeparatorColor = kSeparator;
                        r.bMouseOver = vb::Boolean(over);
                        r.sState = state, r.sDropDownState = section;
                        f.button.Redraw(0);
                        return f.site.Surface().Pixels();
                    };
                    const auto resting = paint("", ""), pressed = paint("down", "");
                    const auto composed = paint("down", "down");
                    int wrong = 0;
                    for (int y = 0; y < H; ++y)
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
                                    << W << "x" << H << " style " << style << " scheme " << scheme
                                    << " align " << align << " over " << over << ": (" << x << ", "
                                    << y << ") is " << std::hex << composed[i] << ", not " << want;
                        }
                }
}

}  // namespace
}  // namespace sheenwork
