// The raster's object model: selection, deletion rules, live counts, monochrome bits.
#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

namespace sheenwork::gdi {
namespace {

struct RasterObjects : ::testing::Test {
    std::unique_ptr<Gdi> g = MakeRasterGdi();
};

TEST_F(RasterObjects, SelectReturnsThePreviousObjectOfTheSameKind) {
    Hdc dc = g->CreateCompatibleDC(nullptr);
    Hgdiobj a = g->CreateSurfaceBitmap(2, 2), b = g->CreateSurfaceBitmap(3, 3);
    Hgdiobj original = g->SelectObject(dc, a);
    ASSERT_NE(original, nullptr);  // the DC's own 1 x 1 monochrome bitmap
    EXPECT_EQ(g->SelectObject(dc, b), a);
    Hgdiobj pen = g->CreatePen(PS_SOLID, 1, 0xFF);
    EXPECT_EQ(g->SelectObject(dc, pen), g->GetStockObject(BLACK_PEN));
    EXPECT_EQ(g->SelectObject(dc, g->GetStockObject(NULL_BRUSH)), g->GetStockObject(WHITE_BRUSH));
    g->SelectObject(dc, original);
    g->SelectObject(dc, g->GetStockObject(BLACK_PEN));
    EXPECT_TRUE(g->DeleteObject(a));
    EXPECT_TRUE(g->DeleteObject(b));
    EXPECT_TRUE(g->DeleteObject(pen));
    EXPECT_TRUE(g->DeleteDC(dc));
}

TEST_F(RasterObjects, ASelectedObjectCannotBeDeletedAndABitmapLivesInOneDc) {
    Hdc one = g->CreateCompatibleDC(nullptr), two = g->CreateCompatibleDC(nullptr);
    Hgdiobj bitmap = g->CreateSurfaceBitmap(4, 4);
    Hgdiobj previous = g->SelectObject(one, bitmap);
    EXPECT_EQ(g->SelectObject(two, bitmap), nullptr);
    EXPECT_FALSE(g->DeleteObject(bitmap));
    g->SelectObject(one, previous);
    EXPECT_TRUE(g->DeleteObject(bitmap));
    EXPECT_FALSE(g->DeleteObject(bitmap));  // a stale handle is refused, not a crash
    // Deleting a stock object succeeds and leaves it usable, as GDI has it.
    EXPECT_TRUE(g->DeleteObject(g->GetStockObject(WHITE_BRUSH)));
    EXPECT_NE(g->SelectObject(one, g->GetStockObject(WHITE_BRUSH)), nullptr);
    // A rectangle without width or height draws nothing and succeeds.
    Hgdiobj canvas = g->CreateSurfaceBitmap(4, 4);
    g->SelectObject(one, canvas);
    EXPECT_TRUE(g->Rectangle(one, 1, 1, 1, 3));
    EXPECT_TRUE(g->Rectangle(one, 1, 2, 3, 2));
    EXPECT_EQ(g->ReadBitmap(canvas), std::vector<ColorRef>(16, 0));
    g->SelectObject(one, previous);
    EXPECT_TRUE(g->DeleteObject(canvas));
    EXPECT_TRUE(g->DeleteDC(one));
    EXPECT_TRUE(g->DeleteDC(two));
    EXPECT_FALSE(g->DeleteDC(one));
}

TEST_F(RasterObjects, LiveCountsReturnToTheStart) {
    const LiveObjects start = RasterLiveObjects(*g);
    Hdc dc = g->CreateCompatibleDC(nullptr);
    Hgdiobj mono = g->CreateBitmap(8, 8, 1, 1, nullptr);
    Hgdiobj brush = g->CreateSolidBrush(0);
    EXPECT_EQ(RasterLiveObjects(*g), (LiveObjects{start.dcs + 1, start.objects + 2}));
    g->DeleteObject(mono);
    g->DeleteObject(brush);
    g->DeleteDC(dc);
    EXPECT_EQ(RasterLiveObjects(*g), start);
}

TEST_F(RasterObjects, ObjectsMadeAfterOthersWereDeletedStartAsNew) {
    // Deleted DCs, bitmaps, pens and brushes are handed out again; whatever the old one
    // went through, the new one starts as a new one does.
    Hdc used = g->CreateCompatibleDC(nullptr);
    Hgdiobj colour = g->CreateSurfaceBitmap(3, 2), mono = g->CreateBitmap(3, 2, 1, 1, nullptr);
    Hgdiobj pen = g->CreatePen(PS_NULL, 1, 0x0000FF), brush = g->CreateSolidBrush(0x00FF00);
    Hgdiobj first = g->SelectObject(used, colour);
    g->SetBkColor(used, 0x123456);
    g->SetTextColor(used, 0x654321);
    g->SetBkMode(used, TRANSPARENT);
    g->MoveToEx(used, 2, 1, nullptr);
    for (int x = 0; x < 3; ++x) g->SetPixel(used, x, 1, 0xABCDEF);
    g->SelectObject(used, mono);
    g->SetPixel(used, 0, 0, 0xFFFFFF);
    g->SelectObject(used, first);
    for (Hgdiobj o : {colour, mono, pen, brush}) ASSERT_TRUE(g->DeleteObject(o));
    ASSERT_TRUE(g->DeleteDC(used));

    Hdc dc = g->CreateCompatibleDC(nullptr);
    EXPECT_EQ(g->GetBkColor(dc), 0xFFFFFFu);
    EXPECT_EQ(g->GetTextColor(dc), 0x000000u);
    EXPECT_EQ(g->GetBkMode(dc), OPAQUE);
    Point position{-1, -1};
    g->MoveToEx(dc, 0, 0, &position);
    EXPECT_EQ(position, (Point{0, 0}));
    EXPECT_EQ(g->GetPixel(dc, 0, 0), 0x000000u);  // its own 1 x 1 monochrome bitmap
    // A colour and a monochrome bitmap of the old size: black, each of its own kind, and
    // free to be selected.
    Hgdiobj mono2 = g->CreateBitmap(3, 2, 1, 1, nullptr);
    Hgdiobj colour2 = g->CreateSurfaceBitmap(3, 2);
    EXPECT_EQ(g->ReadBitmap(mono2), std::vector<ColorRef>(6, 0));
    EXPECT_EQ(g->ReadBitmap(colour2), std::vector<ColorRef>(6, 0));
    Hgdiobj original = g->SelectObject(dc, colour2);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(g->SetPixel(dc, 0, 0, 0x7F7F7F), 0x7F7F7Fu);
    g->SelectObject(dc, mono2);
    EXPECT_EQ(g->SetPixel(dc, 0, 0, 0x7F7F7F), 0x000000u);
    // A new pen and brush draw in their own colour and style.
    g->SelectObject(dc, colour2);
    Hgdiobj pen2 = g->CreatePen(PS_SOLID, 1, 0x0000FF), brush2 = g->CreateSolidBrush(0x00FF00);
    g->SelectObject(dc, pen2);
    g->SelectObject(dc, brush2);
    g->Rectangle(dc, 0, 0, 3, 2);
    EXPECT_EQ(g->ReadBitmap(colour2), std::vector<ColorRef>(6, 0x0000FF));
    const Rect all{0, 0, 3, 2};
    g->FillRect(dc, &all, brush2);
    EXPECT_EQ(g->ReadBitmap(colour2), std::vector<ColorRef>(6, 0x00FF00));
    g->SelectObject(dc, g->GetStockObject(BLACK_PEN));
    g->SelectObject(dc, g->GetStockObject(WHITE_BRUSH));
    g->SelectObject(dc, original);
    for (Hgdiobj o : {mono2, colour2, pen2, brush2}) EXPECT_TRUE(g->DeleteObject(o));
    EXPECT_TRUE(g->DeleteDC(dc));
}

TEST_F(RasterObjects, LinesAnswerTrueOnADcAndFalseOnAnythingElse) {
    Hdc dc = g->CreateCompatibleDC(nullptr);
    EXPECT_TRUE(g->MoveToEx(dc, 0, 0, nullptr));
    EXPECT_TRUE(g->LineTo(dc, 1, 0));
    g->SelectObject(dc, g->GetStockObject(NULL_PEN));
    EXPECT_TRUE(g->LineTo(dc, 0, 0));  // drawing nothing is no failure
    EXPECT_TRUE(g->DeleteDC(dc));
    EXPECT_FALSE(g->MoveToEx(dc, 0, 0, nullptr));
    EXPECT_FALSE(g->LineTo(dc, 1, 0));
}

TEST_F(RasterObjects, MonochromeBitsAreMsbFirstWithRowsPaddedToSixteenBits) {
    // 10 pixels wide: two bytes per row. Row 0 = 1000000001, row 1 = 0100000000.
    const unsigned char bits[] = {0x80, 0x40, 0x40, 0x00};
    Hgdiobj mono = g->CreateBitmap(10, 2, 1, 1, bits);
    const auto px = g->ReadBitmap(mono);
    ASSERT_EQ(px.size(), 20u);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(px[x], (x == 0 || x == 9) ? 0xFFFFFFu : 0u) << x;
        EXPECT_EQ(px[10 + x], x == 1 ? 0xFFFFFFu : 0u) << x;
    }
    g->DeleteObject(mono);
}

TEST_F(RasterObjects, CompatibleBitmapFollowsTheSelectedFormat) {
    Hdc dc = g->CreateCompatibleDC(nullptr);  // holds its monochrome 1 x 1 bitmap
    Hgdiobj mono = g->CreateCompatibleBitmap(dc, 2, 1);
    Hgdiobj colour = g->CreateSurfaceBitmap(2, 1);
    Hgdiobj original = g->SelectObject(dc, colour);
    Hgdiobj colour2 = g->CreateCompatibleBitmap(dc, 2, 1);
    g->SelectObject(dc, mono);
    EXPECT_EQ(g->SetPixel(dc, 0, 0, 0x808080), 0xFFFFFFu);  // bright enough for white
    EXPECT_EQ(g->SetPixel(dc, 1, 0, 0x7F7F7F), 0x000000u);
    g->SelectObject(dc, colour2);
    EXPECT_EQ(g->SetPixel(dc, 0, 0, 0x7F7F7F), 0x7F7F7Fu);
    g->SelectObject(dc, original);
    for (Hgdiobj o : {mono, colour, colour2}) EXPECT_TRUE(g->DeleteObject(o));
    g->DeleteDC(dc);
}

TEST_F(RasterObjects, PixelsOutsideTheBitmapAreInvalid) {
    Hdc dc = g->CreateCompatibleDC(nullptr);
    Hgdiobj bitmap = g->CreateSurfaceBitmap(3, 2);
    Hgdiobj original = g->SelectObject(dc, bitmap);
    for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, 2}, {0, -1}, {INT32_MIN, INT32_MAX}}) {
        EXPECT_EQ(g->SetPixel(dc, x, y, 0xFF), kClrInvalid);
        EXPECT_EQ(g->GetPixel(dc, x, y), kClrInvalid);
    }
    EXPECT_EQ(g->SetPixel(dc, 2, 1, 0x123456), 0x123456u);
    EXPECT_EQ(g->GetPixel(dc, 2, 1), 0x123456u);
    g->SelectObject(dc, original);
    g->DeleteObject(bitmap);
    g->DeleteDC(dc);
}

TEST_F(RasterObjects, AbsurdBitmapSizesAreRefused) {
    EXPECT_EQ(g->CreateSurfaceBitmap(0, 5), nullptr);
    EXPECT_EQ(g->CreateSurfaceBitmap(-3, 5), nullptr);
    EXPECT_EQ(g->CreateSurfaceBitmap(INT32_MAX, INT32_MAX), nullptr);
    EXPECT_EQ(g->CreateBitmap(4, 4, 2, 1, nullptr), nullptr);
}

}  // namespace
}  // namespace sheenwork::gdi
