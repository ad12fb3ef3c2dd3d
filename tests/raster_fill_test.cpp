// Brush fills on monochrome bitmaps: FillRect, and the insides of Rectangle and
// RoundRect, dither every colour that is not pure black or white with GDI's 8 x 8
// pattern, anchored at the bitmap's origin; pens keep one solid bit. Expected pixels
// come from real GDI (Wine 8).
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace sheenwork::gdi {
namespace {

constexpr ColorRef kWhite = 0xFFFFFF;

// White where luminance + threshold > 255.
constexpr int kThreshold[8][8] = {
    {2, 130, 34, 162, 10, 138, 42, 170},  {194, 66, 226, 98, 202, 74, 234, 106},
    {50, 178, 18, 146, 58, 186, 26, 154}, {242, 114, 210, 82, 250, 122, 218, 90},
    {14, 142, 46, 174, 6, 134, 38, 166},  {206, 78, 238, 110, 198, 70, 230, 102},
    {62, 190, 30, 158, 54, 182, 22, 150}, {254, 126, 222, 94, 246, 118, 214, 86},
};
ColorRef Dithered(int luminance, int x, int y) {
    return luminance + kThreshold[y % 8][x % 8] > 255 ? kWhite : 0;
}

struct RasterFill : ::testing::Test {
    void SetUp() override {
        dc = g->CreateCompatibleDC(nullptr);
        bitmap = g->CreateBitmap(kW, kH, 1, 1, nullptr);
        old = g->SelectObject(dc, bitmap);
    }
    void TearDown() override {
        g->SelectObject(dc, old);
        g->DeleteObject(bitmap);
        g->DeleteDC(dc);
    }
    void Fill(Rect r, ColorRef c) {
        Hgdiobj brush = g->CreateSolidBrush(c);
        g->FillRect(dc, &r, brush);
        g->DeleteObject(brush);
    }
    ColorRef At(int x, int y) { return g->GetPixel(dc, x, y); }

    static constexpr int kW = 19, kH = 12;
    std::unique_ptr<Gdi> g = MakeRasterGdi();
    Hdc dc = nullptr;
    Hgdiobj bitmap = nullptr, old = nullptr;
};

TEST_F(RasterFill, FillRectDithersFromTheBitmapOriginAndStaysInItsRectangle) {
    // Greys either side of threshold steps, and colours by (30 R + 59 G + 11 B) / 100.
    struct Case {
        ColorRef color;
        int luminance;
    };
    const Case cases[] = {{0x000000, 0},   {0x010101, 1},   {0x7E7E7E, 126}, {0x808080, 128},
                          {0x818181, 129}, {0xFDFDFD, 253}, {0xFEFEFE, 254}, {0xFFFFFF, 255},
                          {0x3366CC, 126}, {0x0000FF, 76},  {0x00FF00, 150}, {0xFF0000, 28}};
    const Rect r{3, 1, 14, 10};  // an odd offset: the pattern must not restart at (3, 1)
    for (const Case& c : cases)
        for (ColorRef ground : {ColorRef{0}, kWhite}) {
            Fill(Rect{0, 0, kW, kH}, ground);
            Fill(r, c.color);
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x) {
                    const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                    ASSERT_EQ(At(x, y), inside ? Dithered(c.luminance, x, y) : ground)
                        << "colour " << std::hex << c.color << std::dec << " at " << x << "," << y;
                }
        }
}

TEST_F(RasterFill, AnInvertedRectangleDithersTheColumnsItCovers) {
    // (12, 2, 4, 7) covers columns 5 to 12, with the pattern where the bitmap puts it.
    Fill(Rect{0, 0, kW, kH}, 0);
    Fill(Rect{12, 2, 4, 7}, 0x808080);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool inside = x >= 5 && x <= 12 && y >= 2 && y < 7;
            ASSERT_EQ(At(x, y), inside ? Dithered(128, x, y) : 0) << x << "," << y;
        }
}

TEST_F(RasterFill, ASystemColourBrushIsDitheredLikeTheSameSolidBrush) {
    vb::ResetSysColors();
    for (int index : {COLOR_3DFACE, COLOR_3DSHADOW, COLOR_3DHILIGHT}) {
        const Rect r{1, 1, 17, 11};
        g->FillRect(dc, &r, reinterpret_cast<Hgdiobj>(static_cast<std::uintptr_t>(index + 1)));
        std::vector<ColorRef> system;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) system.push_back(At(x, y));
        Fill(r, vb::SysColor(index));
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                ASSERT_EQ(At(x, y), system[static_cast<std::size_t>(y * kW + x)])
                    << "colour " << index << " at " << x << "," << y;
    }
}

TEST_F(RasterFill, RectangleAndRoundRectDitherTheirInsideButNotTheirPen) {
    Hgdiobj brush = g->CreateSolidBrush(0x909090);  // luminance 144
    Hgdiobj pen = g->CreatePen(PS_SOLID, 1, 0x000000);
    Hgdiobj old_brush = g->SelectObject(dc, brush), old_pen = g->SelectObject(dc, pen);

    Fill(Rect{0, 0, kW, kH}, kWhite);
    g->Rectangle(dc, 1, 1, 13, 11);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool outline = (x == 1 || x == 12 || y == 1 || y == 10) && x >= 1 && x <= 12 &&
                                 y >= 1 && y <= 10;
            const bool inside = x > 1 && x < 12 && y > 1 && y < 10;
            ASSERT_EQ(At(x, y), outline ? 0 : inside ? Dithered(144, x, y) : kWhite)
                << x << "," << y;
        }

    // A 4 x 4 corner: the inside rows between the corners are the straight part.
    Fill(Rect{0, 0, kW, kH}, kWhite);
    g->RoundRect(dc, 2, 1, 17, 11, 4, 4);
    for (int y = 3; y <= 7; ++y)
        for (int x = 3; x <= 15; ++x) ASSERT_EQ(At(x, y), Dithered(144, x, y)) << x << "," << y;
    for (int x = 4; x <= 14; ++x) {
        EXPECT_EQ(At(x, 1), 0) << "top edge at " << x;
        EXPECT_EQ(At(x, 10), 0) << "bottom edge at " << x;
    }
    EXPECT_EQ(At(2, 1), kWhite) << "outside the corner";

    g->SelectObject(dc, old_brush);
    g->SelectObject(dc, old_pen);
    g->DeleteObject(brush);
    g->DeleteObject(pen);
}

TEST(RasterFillColour, ABrushOnAColourBitmapKeepsItsExactColour) {
    auto g = MakeRasterGdi();
    Hdc dc = g->CreateCompatibleDC(nullptr);
    Hgdiobj bitmap = g->CreateSurfaceBitmap(8, 8);
    Hgdiobj old = g->SelectObject(dc, bitmap);
    Hgdiobj brush = g->CreateSolidBrush(0x808080);
    const Rect r{0, 0, 8, 8};
    g->FillRect(dc, &r, brush);
    for (ColorRef c : g->ReadBitmap(bitmap)) ASSERT_EQ(c, 0x808080u);
    g->SelectObject(dc, old);
    g->DeleteObject(brush);
    g->DeleteObject(bitmap);
    g->DeleteDC(dc);
}

}  // namespace
}  // namespace sheenwork::gdi
