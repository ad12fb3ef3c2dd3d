// The frame painters against models of their own: the gradient's kept bands and the
// pressed section's composition. input_test.cpp walks the hand-worked cases of
// tests/data/paint.
#include <gtest/gtest.h>

#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>

#include <array>
#include <random>
#include <thread>

#include "render/basButton.h"
#include "render/redraw.h"
#include "support/button_fixture.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using gdi::ColorRef;

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
                        testing::ButtonFixture f(W, H);
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
