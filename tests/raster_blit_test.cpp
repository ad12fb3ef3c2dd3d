// Block transfers: which pixels StretchDIBits and BitBlt cover, how raster operations
// combine, and how monochrome and colour bitmaps convert.
#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace sheenwork::gdi {
namespace {

constexpr ColorRef kSentinel = 0xCCCCCC;

// A memory DC holding a width x height surface bitmap prefilled with the sentinel.
struct Canvas {
    Canvas(Gdi& gdi, int width, int height, bool mono = false) : g(gdi), w(width), h(height) {
        dc = g.CreateCompatibleDC(nullptr);
        bitmap = mono ? g.CreateBitmap(width, height, 1, 1, nullptr)
                      : g.CreateSurfaceBitmap(width, height);
        old = g.SelectObject(dc, bitmap);
        if (!mono) Fill(Rect{0, 0, width, height}, kSentinel);
    }
    ~Canvas() {
        g.SelectObject(dc, old);
        g.DeleteObject(bitmap);
        g.DeleteDC(dc);
    }
    void Fill(Rect r, ColorRef c) {
        Hgdiobj brush = g.CreateSolidBrush(c);
        g.FillRect(dc, &r, brush);
        g.DeleteObject(brush);
    }
    std::vector<ColorRef> Pixels() const { return g.ReadBitmap(bitmap); }
    ColorRef At(int x, int y) const { return Pixels()[static_cast<std::size_t>(y) * w + x]; }
    Gdi& g;
    int w, h;
    Hdc dc;
    Hgdiobj bitmap, old;
};

// A 24-bit BI_RGB DIB, rows padded to 4 bytes; pixel(x, y) counts y from the top of the
// picture whatever the row order in memory.
struct Dib {
    Dib(int width, int height, bool top_down, ColorRef (*pixel)(int, int)) {
        info.biWidth = width;
        info.biHeight = top_down ? -height : height;
        const int stride = (width * 3 + 3) / 4 * 4;
        bits.assign(static_cast<std::size_t>(stride) * height, 0);
        for (int y = 0; y < height; ++y) {
            const int row = top_down ? y : height - 1 - y;
            for (int x = 0; x < width; ++x) {
                const ColorRef c = pixel(x, y);
                std::uint8_t* p = bits.data() + row * stride + x * 3;
                p[0] = static_cast<std::uint8_t>(BlueOf(c));
                p[1] = static_cast<std::uint8_t>(GreenOf(c));
                p[2] = static_cast<std::uint8_t>(RedOf(c));
            }
        }
        info.biSizeImage = static_cast<std::uint32_t>(bits.size());
    }
    BitmapInfoHeader info;
    std::vector<std::uint8_t> bits;
};

ColorRef Column(int x, int y) { return Rgb(static_cast<unsigned>(x), static_cast<unsigned>(y), 0x80); }

struct RasterBlit : ::testing::Test {
    std::unique_ptr<Gdi> g = MakeRasterGdi();
};

TEST_F(RasterBlit, StretchedBandShowsSourceColumnFloorOfFourXOverW) {
    // The gradient's case: 4 columns, rows one to one, every width from 1 to 80.
    const Dib dib(4, 3, false, Column);
    for (int w = 1; w <= 80; ++w) {
        Canvas c(*g, w + 2, 3);
        g->StretchDIBits(c.dc, 1, 0, w, 3, 0, 0, 4, 3, dib.bits.data(), &dib.info,
                         DIB_RGB_COLORS, SRCCOPY);
        EXPECT_EQ(c.At(0, 0), kSentinel) << "left of the band, w = " << w;
        EXPECT_EQ(c.At(w + 1, 2), kSentinel) << "right of the band, w = " << w;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(c.At(1 + x, y), Column(4 * x / w, y)) << "w = " << w << " x = " << x;
    }
}

TEST_F(RasterBlit, BottomUpAndTopDownSourcesCountYSrcFromTheBottom) {
    for (bool top_down : {false, true}) {
        const Dib dib(3, 6, top_down, Column);
        Canvas c(*g, 3, 2);
        // Rows 1 and 2 counted from the bottom: picture rows 4 (top of the block) and 3.
        g->StretchDIBits(c.dc, 0, 0, 3, 2, 0, 1, 3, 2, dib.bits.data(), &dib.info,
                         DIB_RGB_COLORS, SRCCOPY);
        EXPECT_EQ(c.At(0, 0), Column(0, 3)) << top_down;
        EXPECT_EQ(c.At(2, 1), Column(2, 4)) << top_down;
    }
}

TEST_F(RasterBlit, NegativeDestinationWidthMirrorsAndKeepsTheOrigin) {
    const Dib dib(4, 1, false, Column);
    Canvas c(*g, 6, 1);
    // Covers columns 1..4 (x + w + 1 .. x), source column 3 leftmost.
    g->StretchDIBits(c.dc, 4, 0, -4, 1, 0, 0, 4, 1, dib.bits.data(), &dib.info, DIB_RGB_COLORS,
                     SRCCOPY);
    const auto px = c.Pixels();
    EXPECT_EQ(px[0], kSentinel);
    for (int x = 1; x <= 4; ++x) EXPECT_EQ(px[x], Column(4 - x, 0)) << x;
    EXPECT_EQ(px[5], kSentinel);
}

TEST_F(RasterBlit, RefusesWhatItCannotReadWithoutTouchingTheBitmap) {
    Dib dib(4, 2, false, Column);
    Canvas c(*g, 4, 2);
    BitmapInfoHeader bad = dib.info;
    bad.biBitCount = 16;
    EXPECT_EQ(g->StretchDIBits(c.dc, 0, 0, 4, 2, 0, 0, 4, 2, dib.bits.data(), &bad,
                               DIB_RGB_COLORS, SRCCOPY), 0);
    bad = dib.info;
    bad.biCompression = 1;  // RLE8
    EXPECT_EQ(g->StretchDIBits(c.dc, 0, 0, 4, 2, 0, 0, 4, 2, dib.bits.data(), &bad,
                               DIB_RGB_COLORS, SRCCOPY), 0);
    bad = dib.info;
    bad.biWidth = INT_MAX;
    EXPECT_EQ(g->StretchDIBits(c.dc, 0, 0, 4, 2, 0, 0, 4, 2, dib.bits.data(), &bad,
                               DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(c.Pixels(), std::vector<ColorRef>(8, kSentinel));
}

// Every raster operation against its truth table: with pattern, source and destination
// chosen so that each of the 24 bits sees a different combination.
TEST_F(RasterBlit, RasterOperationsFollowTheirTruthTables) {
    const std::uint32_t rops[] = {SRCCOPY, SRCPAINT, SRCAND,    SRCINVERT, SRCERASE, NOTSRCCOPY,
                                  NOTSRCERASE, MERGEPAINT, DSTINVERT, BLACKNESS, WHITENESS};
    const ColorRef p = 0xF0F0F0, s = 0xCCCCCC, d = 0xAAAAAA;
    for (std::uint32_t rop : rops) {
        Canvas src(*g, 1, 1), dst(*g, 1, 1);
        src.Fill(Rect{0, 0, 1, 1}, s);
        dst.Fill(Rect{0, 0, 1, 1}, d);
        Hgdiobj brush = g->CreateSolidBrush(p);
        Hgdiobj old = g->SelectObject(dst.dc, brush);
        ASSERT_TRUE(g->BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, rop));
        g->SelectObject(dst.dc, old);
        g->DeleteObject(brush);
        ColorRef expected = 0;
        const unsigned table = (rop >> 16) & 0xFF;
        for (int bit = 0; bit < 24; ++bit) {
            const unsigned index = ((p >> bit) & 1) << 2 | ((s >> bit) & 1) << 1 | ((d >> bit) & 1);
            expected |= static_cast<ColorRef>((table >> index) & 1) << bit;
        }
        EXPECT_EQ(dst.At(0, 0), expected) << std::hex << rop;
    }
}

TEST_F(RasterBlit, MonochromeToColourTakesTheDestinationsColours) {
    const unsigned char bits[] = {0xA0, 0x00};  // 1 0 1 0
    Hdc mono_dc = g->CreateCompatibleDC(nullptr);
    Hgdiobj mono = g->CreateBitmap(4, 1, 1, 1, bits);
    Hgdiobj old = g->SelectObject(mono_dc, mono);
    g->SetBkColor(mono_dc, 0x00FF00);  // the source DC's colours play no part
    g->SetTextColor(mono_dc, 0xFF0000);
    Canvas c(*g, 4, 1);
    g->SetBkColor(c.dc, 0x123456);
    g->SetTextColor(c.dc, 0xABCDEF);
    g->BitBlt(c.dc, 0, 0, 4, 1, mono_dc, 0, 0, SRCCOPY);
    EXPECT_EQ(c.Pixels(), (std::vector<ColorRef>{0x123456, 0xABCDEF, 0x123456, 0xABCDEF}));
    g->SelectObject(mono_dc, old);
    g->DeleteObject(mono);
    g->DeleteDC(mono_dc);
}

TEST_F(RasterBlit, ColourToMonochromeMarksTheSourceBackgroundColourWhite) {
    Canvas src(*g, 4, 1);
    src.Fill(Rect{0, 0, 4, 1}, 0xFF00FF);
    src.Fill(Rect{1, 0, 2, 1}, 0x000000);
    src.Fill(Rect{3, 0, 4, 1}, 0xFF00FE);  // one off the mask colour: not transparent
    g->SetBkColor(src.dc, 0xFF00FF);
    Canvas mask(*g, 4, 1, true);
    g->BitBlt(mask.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(mask.Pixels(), (std::vector<ColorRef>{0xFFFFFF, 0, 0xFFFFFF, 0}));
}

TEST_F(RasterBlit, BlitsCutToBothBitmapsAndCopyOverlapsThroughABuffer) {
    Canvas c(*g, 5, 1);
    for (int x = 0; x < 5; ++x) c.Fill(Rect{x, 0, x + 1, 1}, static_cast<ColorRef>(x + 1));
    g->BitBlt(c.dc, 1, 0, 4, 1, c.dc, 0, 0, SRCCOPY);  // shift right by one within itself
    EXPECT_EQ(c.Pixels(), (std::vector<ColorRef>{1, 1, 2, 3, 4}));
    // Source block partly outside its bitmap: those destination pixels stay.
    Canvas d(*g, 5, 1);
    g->BitBlt(d.dc, 0, 0, 5, 1, c.dc, 3, 0, SRCCOPY);
    EXPECT_EQ(d.Pixels(), (std::vector<ColorRef>{3, 4, kSentinel, kSentinel, kSentinel}));
}

TEST_F(RasterBlit, NewTransparentModeOnlyOnADeviceThatHasIt) {
    Canvas src(*g, 3, 1), dst(*g, 3, 1);
    src.Fill(Rect{0, 0, 3, 1}, 0x00FF00);
    src.Fill(Rect{1, 0, 2, 1}, 0xFF00FF);
    EXPECT_EQ(g->SetBkMode(dst.dc, NEWTRANSPARENT), 0);  // a device without C1_TRANSPARENT
    EXPECT_EQ(g->GetDeviceCaps(dst.dc, CAPS1) & C1_TRANSPARENT, 0);
    SetRasterCaps1(*g, C1_TRANSPARENT);
    EXPECT_EQ(g->SetBkMode(dst.dc, NEWTRANSPARENT), OPAQUE);
    g->SetBkColor(dst.dc, 0xFF00FF);
    g->BitBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Pixels(), (std::vector<ColorRef>{0x00FF00, kSentinel, 0x00FF00}));
}

// Extreme coordinates and sizes: nothing may be written outside the bitmap (the
// sanitizer build turns any stray write into a failure) and nothing may hang.
TEST_F(RasterBlit, ExtremeCoordinatesNeverLeaveTheBitmap) {
    const int values[] = {INT_MIN, INT_MIN + 1, -1000000, -5, -1, 0, 1, 3, 5, 1000000,
                          INT_MAX - 1, INT_MAX};
    const Dib dib(4, 4, false, Column);
    Canvas c(*g, 5, 4), src(*g, 3, 3);
    for (int a : values)
        for (int b : values) {
            g->BitBlt(c.dc, a, b, b, a, src.dc, b, a, SRCCOPY);
            g->BitBlt(c.dc, 1, 1, a, b, src.dc, a, b, SRCINVERT);
            g->StretchDIBits(c.dc, a, 0, b, 4, 0, 0, 4, 4, dib.bits.data(), &dib.info,
                             DIB_RGB_COLORS, SRCCOPY);
            g->StretchDIBits(c.dc, 0, a, 5, b, a, b, 4, 4, dib.bits.data(), &dib.info,
                             DIB_RGB_COLORS, SRCCOPY);
        }
    EXPECT_EQ(c.Pixels().size(), 20u);
}

}  // namespace
}  // namespace sheenwork::gdi
