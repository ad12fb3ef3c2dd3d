// Block transfers on the raster: which pixels StretchDIBits and BitBlt cover, which
// source pixel each one shows, how raster operations combine, how monochrome and colour
// bitmaps convert. Expected values were taken from real GDI (Wine 8) except where a
// test says it checks our fixed stretch rule.
#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace sheenwork::gdi {
namespace {

constexpr ColorRef kSentinel = 0xCCCCCC;
constexpr ColorRef kWhite = 0xFFFFFF;

// Every pixel of a test picture tells where it came from: red (column + 1) * 16, green
// (row + 1) * 16, row 0 being the top of the picture.
ColorRef Id(int column, int row) {
    return Rgb(static_cast<unsigned>((column + 1) * 16), static_cast<unsigned>((row + 1) * 16), 1);
}

// A memory DC holding a colour surface prefilled with the sentinel, or a monochrome
// bitmap (all 0).
struct Canvas {
    Canvas(Gdi& gdi, int width, int height, bool mono = false) : g(gdi), w(width), h(height) {
        dc = g.CreateCompatibleDC(nullptr);
        bitmap = mono ? g.CreateBitmap(width, height, 1, 1, nullptr)
                      : g.CreateSurfaceBitmap(width, height);
        old = g.SelectObject(dc, bitmap);
        if (!mono) Fill(kSentinel);
    }
    ~Canvas() {
        g.SelectObject(dc, old);
        g.DeleteObject(bitmap);
        g.DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Fill(ColorRef c) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) g.SetPixel(dc, x, y, c);
    }
    void FillIds() {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) g.SetPixel(dc, x, y, Id(x, y));
    }
    std::vector<ColorRef> Pixels() const { return g.ReadBitmap(bitmap); }
    std::vector<ColorRef> Row(int y) const {
        const auto px = Pixels();
        return std::vector<ColorRef>(px.begin() + y * w, px.begin() + (y + 1) * w);
    }
    ColorRef At(int x, int y) const { return Pixels()[static_cast<std::size_t>(y) * w + x]; }

    Gdi& g;
    int w, h;
    Hdc dc;
    Hgdiobj bitmap, old;
};

// A BI_RGB DIB whose pixel (x, y), y from the top of the picture, is colour(x, y);
// stored bottom-up or top-down, rows padded to 4 bytes with 0xEE so that reading the
// padding would show.
struct Dib {
    template <typename Color>
    Dib(int width, int height, bool top_down, Color color, int bpp = 24) {
        info.biWidth = width;
        info.biHeight = top_down ? -height : height;
        info.biBitCount = static_cast<std::uint16_t>(bpp);
        const int bytes = bpp / 8;
        const int stride = (width * bytes + 3) / 4 * 4;
        bits.assign(static_cast<std::size_t>(stride) * height, 0xEE);
        for (int y = 0; y < height; ++y) {
            const int row = top_down ? y : height - 1 - y;
            for (int x = 0; x < width; ++x) {
                const ColorRef c = color(x, y);
                std::uint8_t* p = bits.data() + row * stride + x * bytes;
                p[0] = static_cast<std::uint8_t>(BlueOf(c));
                p[1] = static_cast<std::uint8_t>(GreenOf(c));
                p[2] = static_cast<std::uint8_t>(RedOf(c));
                if (bytes == 4) p[3] = 0;
            }
        }
        info.biSizeImage = static_cast<std::uint32_t>(bits.size());
    }
    int Stretch(Gdi& g, Hdc dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                std::uint32_t rop = SRCCOPY) const {
        return g.StretchDIBits(dc, x, y, w, h, sx, sy, sw, sh, bits.data(), &info, DIB_RGB_COLORS,
                               rop);
    }
    BitmapInfoHeader info;
    std::vector<std::uint8_t> bits;
};

// A header followed by its colour table, as BITMAPINFO lays them out.
struct PaletteInfo {
    BitmapInfoHeader header;
    std::uint8_t table[256 * 4] = {};
    void SetColor(int i, ColorRef c) {
        table[i * 4] = static_cast<std::uint8_t>(BlueOf(c));
        table[i * 4 + 1] = static_cast<std::uint8_t>(GreenOf(c));
        table[i * 4 + 2] = static_cast<std::uint8_t>(RedOf(c));
    }
};

struct RasterBlitStretch : ::testing::Test {
    std::unique_ptr<Gdi> g = MakeRasterGdi();
};

// --- StretchDIBits: placement ----------------------------------------------------------

TEST_F(RasterBlitStretch, OneToOneCopiesEveryPixelWhateverTheRowOrderOrPadding) {
    for (int columns : {1, 2, 3, 5, 7})
        for (bool top_down : {false, true}) {
            const Dib dib(columns, 3, top_down, Id);
            Canvas c(*g, columns + 2, 5);
            EXPECT_EQ(dib.Stretch(*g, c.dc, 1, 1, columns, 3, 0, 0, columns, 3), 3);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < columns + 2; ++x) {
                    const bool inside = x >= 1 && x <= columns && y >= 1 && y <= 3;
                    ASSERT_EQ(c.At(x, y), inside ? Id(x - 1, y - 1) : kSentinel)
                        << columns << " columns, top-down " << top_down << " at " << x << "," << y;
                }
        }
}

TEST_F(RasterBlitStretch, GradientBandOfFourColumnsAtEveryWidthFromOneToEighty) {
    // Our fixed rule for a 4-column source: destination column x shows source column
    // floor(4 x / w), one column even when shrinking; rows map one to one. (Wine shows
    // floor((4 x + 1) / w) and ANDs dropped columns below 4.)
    const Dib dib(4, 5, false, Id);
    for (int w = 1; w <= 80; ++w) {
        Canvas c(*g, w + 2, 5);
        EXPECT_EQ(dib.Stretch(*g, c.dc, 1, 0, w, 5, 0, 0, 4, 5), 5) << w;
        for (int y = 0; y < 5; ++y) {
            EXPECT_EQ(c.At(0, y), kSentinel) << "left of the band, w " << w;
            EXPECT_EQ(c.At(w + 1, y), kSentinel) << "right of the band, w " << w;
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(c.At(1 + x, y), Id(4 * x / w, y)) << "w " << w << " x " << x;
        }
    }
}

// White with two bits cleared, one naming the column and one the row, so that a
// destination pixel shows which source pixels were ANDed into it.
ColorRef Marks(int column, int row) {
    return 0xFFFFFFu & ~(1u << column) & ~(1u << (12 + row));
}
// The AND of Marks over `columns` x `rows`.
ColorRef MarksOf(std::vector<int> columns, std::vector<int> rows) {
    ColorRef c = 0xFFFFFF;
    for (int x : columns) c &= ~(1u << x);
    for (int y : rows) c &= ~(1u << (12 + y));
    return c;
}
using Groups = std::vector<std::vector<int>>;

// Which source rows (or columns) each destination row (or column) shows, one list per
// destination pixel, for a stretch of one axis from `from` to `to` pixels. The lists
// are those real GDI drew (Wine 8) for the same pairs.
struct AxisCase {
    int from, to;
    Groups groups;
};
const std::vector<AxisCase>& AxisCases() {
    static const std::vector<AxisCase> cases = {
        // Enlarging: the source pixel under each destination pixel's centre.
        {1, 3, {{0}, {0}, {0}}},
        {2, 5, {{0}, {0}, {0}, {1}, {1}}},
        {3, 7, {{0}, {0}, {1}, {1}, {1}, {2}, {2}}},
        {4, 9, {{0}, {0}, {1}, {1}, {1}, {2}, {2}, {3}, {3}}},
        {7, 8, {{0}, {1}, {2}, {3}, {3}, {4}, {5}, {6}}},
        {3, 10, {{0}, {0}, {0}, {1}, {1}, {1}, {1}, {2}, {2}, {2}}},
        // Shrinking: every source pixel whose centre falls in the destination pixel.
        {7, 2, {{0, 1, 2, 3}, {4, 5, 6}}},
        {5, 4, {{0}, {1, 2}, {3}, {4}}},
        {9, 6, {{0, 1}, {2}, {3, 4}, {5}, {6, 7}, {8}}},
        {6, 1, {{0, 1, 2, 3, 4, 5}}},
        {12, 5, {{0, 1}, {2, 3, 4}, {5, 6}, {7, 8, 9}, {10, 11}}},
    };
    return cases;
}

TEST_F(RasterBlitStretch, RowsShowTheSourceRowUnderTheirCentreAndShrunkRowsAreAnded) {
    for (const AxisCase& c : AxisCases())
        for (bool top_down : {false, true}) {
            const Dib dib(3, c.from, top_down, Marks);
            Canvas canvas(*g, 5, c.to + 2);
            dib.Stretch(*g, canvas.dc, 1, 1, 3, c.to, 0, 0, 3, c.from);
            for (int y = 0; y < c.to + 2; ++y)
                for (int x = 0; x < 5; ++x) {
                    const bool inside = x >= 1 && x <= 3 && y >= 1 && y <= c.to;
                    ASSERT_EQ(canvas.At(x, y),
                              inside ? MarksOf({x - 1}, c.groups[static_cast<std::size_t>(y - 1)])
                                     : kSentinel)
                        << c.from << " rows to " << c.to << ", top-down " << top_down << ", at "
                        << x << "," << y;
                }
        }
}

TEST_F(RasterBlitStretch, ColumnsOfOtherSourceWidthsFollowTheSameRule) {
    for (const AxisCase& c : AxisCases()) {
        if (c.from == 4) continue;  // the gradient band's own rule, tested above
        const Dib dib(c.from, 2, false, Marks);
        Canvas canvas(*g, c.to + 2, 2);
        dib.Stretch(*g, canvas.dc, 1, 0, c.to, 2, 0, 0, c.from, 2);
        for (int y = 0; y < 2; ++y) {
            EXPECT_EQ(canvas.At(0, y), kSentinel) << c.from << " to " << c.to;
            EXPECT_EQ(canvas.At(c.to + 1, y), kSentinel) << c.from << " to " << c.to;
            for (int x = 0; x < c.to; ++x)
                ASSERT_EQ(canvas.At(1 + x, y),
                          MarksOf(c.groups[static_cast<std::size_t>(x)], {y}))
                    << c.from << " columns to " << c.to << " at " << x << "," << y;
        }
    }
}

TEST_F(RasterBlitStretch, AFourColumnSourceReadBackwardsKeepsTheFloorRule) {
    // Source columns 3, 2, 1, 0 over 5 columns: floor(4 x / 5) = 0, 0, 1, 2, 3 counted
    // from the source origin (the centre rule would give 0, 1, 1, 2, 3).
    const Dib dib(4, 1, false, Id);
    Canvas c(*g, 5, 1);
    dib.Stretch(*g, c.dc, 0, 0, 5, 1, 3, 0, -4, 1);
    EXPECT_EQ(c.Row(0), (std::vector<ColorRef>{Id(3, 0), Id(3, 0), Id(2, 0), Id(1, 0), Id(0, 0)}));
}

TEST_F(RasterBlitStretch, ShrinkingBothAxesAndsTheWholeBlock) {
    const Dib dib(7, 9, false, Marks);
    Canvas c(*g, 3, 6);
    dib.Stretch(*g, c.dc, 0, 0, 3, 6, 0, 0, 7, 9);
    const Groups columns = {{0, 1}, {2, 3, 4}, {5, 6}};
    const Groups rows = {{0, 1}, {2}, {3, 4}, {5}, {6, 7}, {8}};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(c.At(x, y), MarksOf(columns[static_cast<std::size_t>(x)],
                                          rows[static_cast<std::size_t>(y)]))
                << x << "," << y;
}

TEST_F(RasterBlitStretch, ShrinkingOntoMonochromeAndsTheBits) {
    // One pixel short of white in a group makes the whole group 0.
    const Dib dib(6, 4, false, [](int x, int y) -> ColorRef {
        return x == 3 && y == 1 ? 0xFFFFFE : kWhite;
    });
    Canvas mono(*g, 2, 2, true);
    dib.Stretch(*g, mono.dc, 0, 0, 2, 2, 0, 0, 6, 4);
    EXPECT_EQ(mono.Pixels(), (std::vector<ColorRef>{kWhite, 0, kWhite, kWhite}));
}

TEST_F(RasterBlitStretch, ACutDestinationShowsWhatTheWholeOneWouldThere) {
    // The bitmap's edge must not move the mapping: every visible pixel of a stretch
    // hanging over the edge equals the same pixel of the stretch drawn whole.
    const int sizes[][4] = {{3, 4, 7, 10}, {7, 11, 3, 4}, {5, 3, 12, 2}, {2, 9, 9, 4}};
    for (auto& s : sizes)
        for (int shift : {1, 2, 3}) {
            const Dib dib(s[0], s[1], false, Marks);
            Canvas whole(*g, s[2], s[3]), cut(*g, s[2], s[3]);
            dib.Stretch(*g, whole.dc, 0, 0, s[2], s[3], 0, 0, s[0], s[1]);
            dib.Stretch(*g, cut.dc, -shift, -shift, s[2], s[3], 0, 0, s[0], s[1]);
            for (int y = 0; y < s[3]; ++y)
                for (int x = 0; x < s[2]; ++x) {
                    const bool shown = x + shift < s[2] && y + shift < s[3];
                    ASSERT_EQ(cut.At(x, y), shown ? whole.At(x + shift, y + shift) : kSentinel)
                        << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3] << " shifted by "
                        << shift << " at " << x << "," << y;
                }
        }
}

TEST_F(RasterBlitStretch, AMirroredStretchShowsTheSameRowsUpsideDown) {
    for (const AxisCase& c : AxisCases()) {
        const Dib dib(1, c.from, false, Marks);
        Canvas up(*g, 1, c.to), down(*g, 1, c.to);
        dib.Stretch(*g, up.dc, 0, 0, 1, c.to, 0, 0, 1, c.from);
        dib.Stretch(*g, down.dc, 0, c.to - 1, 1, -c.to, 0, 0, 1, c.from);
        for (int y = 0; y < c.to; ++y)
            ASSERT_EQ(down.At(0, y), up.At(0, c.to - 1 - y)) << c.from << " to " << c.to;
    }
}

TEST_F(RasterBlitStretch, SourceRowsCountFromTheBottomOfThePicture) {
    // Rows 1 and 2 counted from the bottom of a 6-row picture: picture rows 3 and 4.
    for (bool top_down : {false, true}) {
        const Dib dib(3, 6, top_down, Id);
        Canvas c(*g, 2, 2);
        dib.Stretch(*g, c.dc, 0, 0, 2, 2, 1, 1, 2, 2);
        EXPECT_EQ(c.Pixels(), (std::vector<ColorRef>{Id(1, 3), Id(2, 3), Id(1, 4), Id(2, 4)}))
            << "top-down " << top_down;
    }
}

TEST_F(RasterBlitStretch, TopDownCountsFromTheTopForAnUnstretchedCopyFromTheOriginOrARop) {
    const Dib top_down(2, 5, true, Id), bottom_up(2, 5, false, Id);
    {
        Canvas c(*g, 2, 2);  // from (0, 0), same size: the first two rows
        top_down.Stretch(*g, c.dc, 0, 0, 2, 2, 0, 0, 2, 2);
        EXPECT_EQ(c.Pixels(), (std::vector<ColorRef>{Id(0, 0), Id(1, 0), Id(0, 1), Id(1, 1)}));
        bottom_up.Stretch(*g, c.dc, 0, 0, 2, 2, 0, 0, 2, 2);  // the last two
        EXPECT_EQ(c.Pixels(), (std::vector<ColorRef>{Id(0, 3), Id(1, 3), Id(0, 4), Id(1, 4)}));
    }
    {
        Canvas c(*g, 2, 2);  // any other raster operation: rows 1 and 2 from the top
        c.Fill(0);
        top_down.Stretch(*g, c.dc, 0, 0, 2, 2, 0, 1, 2, 2, SRCPAINT);
        EXPECT_EQ(c.Pixels(), (std::vector<ColorRef>{Id(0, 1), Id(1, 1), Id(0, 2), Id(1, 2)}));
        c.Fill(0);  // bottom-up: rows 1 and 2 from the bottom
        bottom_up.Stretch(*g, c.dc, 0, 0, 2, 2, 0, 1, 2, 2, SRCPAINT);
        EXPECT_EQ(c.Pixels(), (std::vector<ColorRef>{Id(0, 2), Id(1, 2), Id(0, 3), Id(1, 3)}));
    }
    {
        Canvas c(*g, 2, 2);  // SRCCOPY from row 1: counted from the bottom after all
        top_down.Stretch(*g, c.dc, 0, 0, 2, 2, 0, 1, 2, 2);
        EXPECT_EQ(c.Pixels(), (std::vector<ColorRef>{Id(0, 2), Id(1, 2), Id(0, 3), Id(1, 3)}));
    }
}

TEST_F(RasterBlitStretch, NegativeDestinationExtentsMirrorAndKeepTheOrigin) {
    const Dib dib(3, 3, false, Id);
    Canvas c(*g, 6, 1);
    dib.Stretch(*g, c.dc, 4, 0, -3, 1, 0, 0, 3, 1);  // covers 2..4, source column 0 at 4
    const int bottom = 2;                            // ySrc 0, one row: the bottom picture row
    EXPECT_EQ(c.Row(0), (std::vector<ColorRef>{kSentinel, kSentinel, Id(2, bottom), Id(1, bottom),
                                               Id(0, bottom), kSentinel}));
    Canvas v(*g, 1, 6);
    dib.Stretch(*g, v.dc, 0, 4, 1, -3, 0, 0, 1, 3);  // rows 2..4, upside down
    EXPECT_EQ(v.Pixels(), (std::vector<ColorRef>{kSentinel, kSentinel, Id(0, 2), Id(0, 1), Id(0, 0),
                                                 kSentinel}));
}

TEST_F(RasterBlitStretch, NegativeSourceWidthReadsBackFromItsOrigin) {
    const Dib dib(3, 1, false, Id);
    Canvas c(*g, 5, 1);
    dib.Stretch(*g, c.dc, 1, 0, 3, 1, 2, 0, -3, 1);  // source columns 2, 1, 0
    EXPECT_EQ(c.Row(0),
              (std::vector<ColorRef>{kSentinel, Id(2, 0), Id(1, 0), Id(0, 0), kSentinel}));
    Canvas d(*g, 5, 1);
    dib.Stretch(*g, d.dc, 1, 0, 3, 1, 3, 0, -3, 1);  // 3, 2, 1: column 3 does not exist
    EXPECT_EQ(d.Row(0),
              (std::vector<ColorRef>{kSentinel, kSentinel, Id(2, 0), Id(1, 0), kSentinel}));
}

TEST_F(RasterBlitStretch, TwoEqualNegativeWidthsCopyUnmirroredOnePixelFurtherForARop) {
    const Dib dib(4, 1, false, Id);
    Canvas copy(*g, 6, 1);
    // SRCCOPY: destination 2..4 from source 1..3 (x + w + 1 .. x on both sides).
    dib.Stretch(*g, copy.dc, 4, 0, -3, 1, 3, 0, -3, 1);
    EXPECT_EQ(copy.Row(0), (std::vector<ColorRef>{kSentinel, kSentinel, Id(1, 0), Id(2, 0),
                                                  Id(3, 0), kSentinel}));
    Canvas paint(*g, 6, 1);
    paint.Fill(0);
    // Any other operation: destination 1..3 from source 0..2 (x + w .. x - 1).
    dib.Stretch(*g, paint.dc, 4, 0, -3, 1, 3, 0, -3, 1, SRCPAINT);
    EXPECT_EQ(paint.Row(0), (std::vector<ColorRef>{0, Id(0, 0), Id(1, 0), Id(2, 0), 0, 0}));
}

TEST_F(RasterBlitStretch, AFlippedSourceHangingOverThePictureMovesTheDestination) {
    const Dib dib(4, 1, false, Id);
    Canvas c(*g, 7, 1);
    // Destination -3..0 from source 0, -1, -2, -3: only source column 0 exists. GDI
    // does not flip what is left: it lands at column 0, not at -3.
    EXPECT_EQ(dib.Stretch(*g, c.dc, -3, 0, 4, 1, 0, 0, -4, 1), 1);
    EXPECT_EQ(c.Row(0), (std::vector<ColorRef>{Id(0, 0), kSentinel, kSentinel, kSentinel, kSentinel,
                                               kSentinel, kSentinel}));
}

TEST_F(RasterBlitStretch, ASourceBlockPartlyOutsideThePictureCutsTheDestinationToo) {
    for (bool top_down : {false, true}) {
        const Dib dib(3, 3, top_down, Id);
        Canvas c(*g, 5, 5);
        EXPECT_EQ(dib.Stretch(*g, c.dc, 1, 1, 3, 3, -1, -1, 3, 3), 3);
        // Columns -1..1 and rows -1..1 from the bottom: picture rows 1..3, of which 1, 2.
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) {
                const bool inside = x >= 2 && x <= 3 && y >= 1 && y <= 2;
                EXPECT_EQ(c.At(x, y), inside ? Id(x - 2, y) : kSentinel)
                    << x << "," << y << " top-down " << top_down;
            }
    }
}

TEST_F(RasterBlitStretch, AOnePixelDestinationTakesOneSourceRowLessForARop) {
    const Dib dib(1, 4, false, Marks);
    Canvas copy(*g, 1, 1), paint(*g, 1, 1);
    paint.Fill(0);
    // SRCCOPY shrinks rows 2..3 (from the top) to one, ANDing both.
    dib.Stretch(*g, copy.dc, 0, 0, 1, 1, 0, 0, 1, 2);
    // Any other operation reads one row only, the bottom one.
    dib.Stretch(*g, paint.dc, 0, 0, 1, 1, 0, 0, 1, 2, SRCPAINT);
    EXPECT_EQ(copy.At(0, 0), MarksOf({0}, {2, 3}));
    EXPECT_EQ(paint.At(0, 0), Marks(0, 3));
}

TEST_F(RasterBlitStretch, AnswersLinesOfThePictureOrZero) {
    const Dib up(2, 3, false, Id), down(2, 3, true, Id);
    Canvas c(*g, 4, 4);
    EXPECT_EQ(up.Stretch(*g, c.dc, 0, 0, 2, 3, 0, 0, 2, 3), 3);
    EXPECT_EQ(down.Stretch(*g, c.dc, 0, 0, 2, 3, 0, 0, 2, 3), 3);
    EXPECT_EQ(up.Stretch(*g, c.dc, 0, 0, 2, 3, 0, 0, 2, 3, SRCINVERT), 3);
    EXPECT_EQ(down.Stretch(*g, c.dc, 0, 0, 2, 3, 0, 0, 2, 3, SRCINVERT), -3);  // biHeight
    EXPECT_EQ(up.Stretch(*g, c.dc, 10, 10, 2, 3, 0, 0, 2, 3), 3);  // destination off the bitmap
    EXPECT_EQ(up.Stretch(*g, c.dc, 0, 0, 0, 3, 0, 0, 2, 3), 3);    // empty destination
    EXPECT_EQ(up.Stretch(*g, c.dc, 0, 0, 2, 3, 0, 0, 0, 3), 0);    // empty source
    EXPECT_EQ(up.Stretch(*g, c.dc, 0, 0, 2, 3, 2, 0, 2, 3), 0);    // source off the picture
    EXPECT_EQ(up.Stretch(*g, c.dc, 0, 0, 2, 3, -3, -3, -2, -3), 0);
}

// --- StretchDIBits: formats ------------------------------------------------------------

TEST_F(RasterBlitStretch, ReadsThirtyTwoAndSixteenBitPixels) {
    const Dib dib32(3, 2, false, Id, 32);
    Canvas c(*g, 3, 2);
    dib32.Stretch(*g, c.dc, 0, 0, 3, 2, 0, 0, 3, 2);
    EXPECT_EQ(c.Pixels(),
              (std::vector<ColorRef>{Id(0, 0), Id(1, 0), Id(2, 0), Id(0, 1), Id(1, 1), Id(2, 1)}));
    // 5-5-5 with each channel widened by repeating its top bits; bit 15 is unused.
    BitmapInfoHeader info;
    info.biWidth = 3;
    info.biHeight = 1;
    info.biBitCount = 16;
    const std::uint8_t bits[8] = {0x40, 0x40, 0xFF, 0x7F, 0x1F, 0x80, 0xEE, 0xEE};
    Canvas d(*g, 3, 1);
    EXPECT_EQ(g->StretchDIBits(d.dc, 0, 0, 3, 1, 0, 0, 3, 1, bits, &info, DIB_RGB_COLORS, SRCCOPY),
              1);
    EXPECT_EQ(d.Pixels(), (std::vector<ColorRef>{0x001084, kWhite, 0xFF0000}));
}

TEST_F(RasterBlitStretch, ReadsPaletteEntriesAndBlackBeyondTheUsedOnes) {
    PaletteInfo p;
    p.header.biWidth = 4;
    p.header.biHeight = 1;
    p.header.biBitCount = 8;
    p.header.biClrUsed = 3;
    p.SetColor(0, 0x302010);
    p.SetColor(1, 0x605040);
    p.SetColor(2, 0x908070);
    p.SetColor(3, 0x030201);  // beyond biClrUsed: not used
    const std::uint8_t eight[4] = {0, 1, 2, 3};
    Canvas c(*g, 4, 1);
    g->StretchDIBits(c.dc, 0, 0, 4, 1, 0, 0, 4, 1, eight, &p.header, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(c.Pixels(), (std::vector<ColorRef>{0x302010, 0x605040, 0x908070, 0}));

    p.header.biBitCount = 4;
    p.header.biClrUsed = 4;
    p.SetColor(3, 0x030201);
    const std::uint8_t four[4] = {0x31, 0x20, 0, 0};  // 3 1 2 0, high nibble first
    Canvas d(*g, 4, 1);
    g->StretchDIBits(d.dc, 0, 0, 4, 1, 0, 0, 4, 1, four, &p.header, DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(d.Pixels(), (std::vector<ColorRef>{0x030201, 0x605040, 0x908070, 0x302010}));

    p.header.biBitCount = 1;
    p.header.biClrUsed = 0;  // all 2 entries
    p.header.biWidth = 10;
    const std::uint8_t one[4] = {0xA5, 0x40, 0, 0};  // 1010 0101 01, most significant first
    Canvas e(*g, 10, 1);
    g->StretchDIBits(e.dc, 0, 0, 10, 1, 0, 0, 10, 1, one, &p.header, DIB_RGB_COLORS, SRCCOPY);
    const ColorRef a = 0x302010, b = 0x605040;
    EXPECT_EQ(e.Pixels(), (std::vector<ColorRef>{b, a, b, a, a, b, a, b, a, b}));
}

TEST_F(RasterBlitStretch, OntoMonochromeOnlyExactWhiteBecomesOne) {
    const ColorRef colors[] = {kWhite, 0, 0xC0C0C0, 0x808080, 0xFEFFFF, 0x0000FF, 0xFFFF00};
    const Dib dib(7, 1, false, [&](int x, int) { return colors[x]; });
    Canvas mono(*g, 7, 1, true);
    g->SetBkColor(mono.dc, 0x808080);  // the DC's colours play no part
    g->SetTextColor(mono.dc, kWhite);
    dib.Stretch(*g, mono.dc, 0, 0, 7, 1, 0, 0, 7, 1);
    EXPECT_EQ(mono.Pixels(), (std::vector<ColorRef>{kWhite, 0, 0, 0, 0, 0, 0}));

    // A 32-bit pixel is compared whole: white with a non-zero fourth byte is not white.
    Dib dib32(
        2, 1, false, [](int, int) { return kWhite; }, 32);
    dib32.bits[7] = 0x01;
    Canvas mono32(*g, 2, 1, true);
    dib32.Stretch(*g, mono32.dc, 0, 0, 2, 1, 0, 0, 2, 1);
    EXPECT_EQ(mono32.Pixels(), (std::vector<ColorRef>{kWhite, 0}));
}

TEST_F(RasterBlitStretch, RefusesWhatItCannotReadWithoutTouchingTheBitmap) {
    const Dib dib(4, 2, false, Id);
    Canvas c(*g, 4, 2);
    auto refused = [&](BitmapInfoHeader h, unsigned usage = DIB_RGB_COLORS) {
        return g->StretchDIBits(c.dc, 0, 0, 4, 2, 0, 0, 4, 2, dib.bits.data(), &h, usage,
                                SRCCOPY) == 0;
    };
    BitmapInfoHeader h = dib.info;
    h.biBitCount = 2;
    EXPECT_TRUE(refused(h));
    h = dib.info;
    h.biCompression = 1;  // RLE8
    EXPECT_TRUE(refused(h));
    h.biCompression = 3;  // bit fields
    EXPECT_TRUE(refused(h));
    h = dib.info;
    h.biPlanes = 0;
    EXPECT_TRUE(refused(h));
    h = dib.info;
    h.biSize = 39;
    EXPECT_TRUE(refused(h));
    for (int width : {0, -4, INT_MAX}) {
        h = dib.info;
        h.biWidth = width;
        EXPECT_TRUE(refused(h)) << width;
    }
    for (int height : {0, INT_MIN, INT_MAX, -(1 << 30)}) {
        h = dib.info;
        h.biHeight = height;
        EXPECT_TRUE(refused(h)) << height;
    }
    h = dib.info;
    h.biBitCount = 8;  // a palette of DIB_PAL_COLORS indices is not read
    EXPECT_TRUE(refused(h, 1));
    EXPECT_EQ(
        g->StretchDIBits(c.dc, 0, 0, 4, 2, 0, 0, 4, 2, nullptr, &dib.info, DIB_RGB_COLORS, SRCCOPY),
        0);
    EXPECT_EQ(g->StretchDIBits(nullptr, 0, 0, 4, 2, 0, 0, 4, 2, dib.bits.data(), &dib.info,
                               DIB_RGB_COLORS, SRCCOPY),
              0);
    EXPECT_EQ(c.Pixels(), std::vector<ColorRef>(8, kSentinel));
    EXPECT_FALSE(refused(dib.info));  // and the untouched header is accepted
}

// The bits handed over are exactly as long as the header says: a stretch reading past
// them would be caught by the sanitizer build.
TEST_F(RasterBlitStretch, ReadsNothingBeyondTheLastRow) {
    for (int bpp : {24, 32}) {
        const Dib dib(3, 2, false, Id, bpp);
        const std::vector<std::uint8_t> exact(dib.bits);  // a heap block of just that size
        Canvas c(*g, 9, 9);
        for (int sx = -4; sx <= 4; ++sx)
            for (int sy = -4; sy <= 4; ++sy)
                for (int sw : {-7, -3, -1, 1, 2, 3, 7})
                    g->StretchDIBits(c.dc, 0, 0, 9, 9, sx, sy, sw, sw * 2, exact.data(), &dib.info,
                                     DIB_RGB_COLORS, SRCCOPY);
    }
}

TEST_F(RasterBlitStretch, ExtremeCoordinatesNeverLeaveTheBitmap) {
    const int values[] = {INT_MIN, INT_MIN + 1, -1000000, -5,      -1,          0,
                          1,       3,           5,        1000000, INT_MAX - 1, INT_MAX};
    const Dib dib(4, 4, false, Id);
    Canvas c(*g, 5, 4);
    for (int a : values)
        for (int b : values) {
            dib.Stretch(*g, c.dc, a, 0, b, 4, 0, 0, 4, 4);
            dib.Stretch(*g, c.dc, 0, a, 5, b, a, b, 4, 4);
            dib.Stretch(*g, c.dc, 0, 0, 5, 4, a, b, b, a, SRCINVERT);
        }
    // Sums beyond 32 bits are refused outright; a far-away but sane block is not.
    EXPECT_EQ(dib.Stretch(*g, c.dc, INT_MAX, 0, 1, 4, 0, 0, 4, 4), 0);
    EXPECT_EQ(dib.Stretch(*g, c.dc, 0, 0, 4, 4, INT_MIN, 0, -1, 4), 0);
    EXPECT_EQ(dib.Stretch(*g, c.dc, 1000000, 0, 4, 4, 0, 0, 4, 4), 4);
    EXPECT_EQ(c.Pixels().size(), 20u);
}

// --- BitBlt ------------------------------------------------------------------------------

struct RasterBlitBitBlt : ::testing::Test {
    std::unique_ptr<Gdi> g = MakeRasterGdi();
};

TEST_F(RasterBlitBitBlt, EveryRasterOperationFollowsItsTruthTable) {
    // Pattern F0, source CC, destination AA in every byte: bit k of each byte sees the
    // combination k, so the result is the table byte itself, three times.
    for (unsigned table = 0; table < 256; ++table) {
        const std::uint32_t rop = table << 16;
        Canvas src(*g, 1, 1), dst(*g, 1, 1);
        src.Fill(0xCCCCCC);
        dst.Fill(0xAAAAAA);
        Hgdiobj brush = g->CreateSolidBrush(0xF0F0F0);
        Hgdiobj old = g->SelectObject(dst.dc, brush);
        ASSERT_TRUE(g->BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, rop));
        g->SelectObject(dst.dc, old);
        g->DeleteObject(brush);
        EXPECT_EQ(dst.At(0, 0), table * 0x010101u) << std::hex << table;
    }
}

TEST_F(RasterBlitBitBlt, TheNamedOperations) {
    struct Case {
        std::uint32_t rop;
        ColorRef result;  // source 0x3C5A0F, destination 0x55AA33
    };
    const Case cases[] = {
        {SRCCOPY, 0x3C5A0F},     {NOTSRCCOPY, 0xC3A5F0}, {SRCAND, 0x140A03},
        {SRCPAINT, 0x7DFA3F},    {SRCINVERT, 0x69F03C},  {SRCERASE, 0x28500C},
        {NOTSRCERASE, 0x8205C0}, {MERGEPAINT, 0xD7AFF3}, {DSTINVERT, 0xAA55CC},
        {BLACKNESS, 0x000000},   {WHITENESS, 0xFFFFFF},
    };
    for (const Case& k : cases) {
        Canvas src(*g, 1, 1), dst(*g, 3, 1);
        src.Fill(0x3C5A0F);
        dst.Fill(0x55AA33);
        ASSERT_TRUE(g->BitBlt(dst.dc, 1, 0, 1, 1, src.dc, 0, 0, k.rop));
        EXPECT_EQ(dst.Row(0), (std::vector<ColorRef>{0x55AA33, k.result, 0x55AA33}))
            << std::hex << k.rop;
    }
}

TEST_F(RasterBlitBitBlt, OperationsWithoutASourceNeedNoSourceDc) {
    Canvas c(*g, 3, 1);
    EXPECT_TRUE(g->BitBlt(c.dc, 0, 0, 1, 1, nullptr, 0, 0, BLACKNESS));
    EXPECT_TRUE(g->BitBlt(c.dc, 1, 0, 1, 1, nullptr, 0, 0, DSTINVERT));
    EXPECT_FALSE(g->BitBlt(c.dc, 2, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    EXPECT_EQ(c.Row(0), (std::vector<ColorRef>{0, 0x333333, kSentinel}));
}

TEST_F(RasterBlitBitBlt, ANullBrushDrawsNoPatternAndLeavesTheSourceCopy) {
    Canvas src(*g, 1, 1), dst(*g, 3, 1);
    src.Fill(0x00FF00);
    g->SelectObject(dst.dc, g->GetStockObject(NULL_BRUSH));
    g->BitBlt(dst.dc, 0, 0, 1, 1, nullptr, 0, 0, 0x00F00021);  // PATCOPY
    g->BitBlt(dst.dc, 1, 0, 1, 1, nullptr, 0, 0, 0x005A0049);  // PATINVERT
    g->BitBlt(dst.dc, 2, 0, 1, 1, src.dc, 0, 0, 0x00C000CA);   // MERGECOPY
    EXPECT_EQ(dst.Row(0), (std::vector<ColorRef>{kSentinel, kSentinel, 0x00FF00}));
}

TEST_F(RasterBlitBitBlt, ASolidBrushIsDitheredOnMonochrome) {
    // White where grey + threshold > 255, with GDI's 8 x 8 thresholds repeating from the
    // bitmap's origin.
    const int threshold[8][8] = {
        {2, 130, 34, 162, 10, 138, 42, 170},  {194, 66, 226, 98, 202, 74, 234, 106},
        {50, 178, 18, 146, 58, 186, 26, 154}, {242, 114, 210, 82, 250, 122, 218, 90},
        {14, 142, 46, 174, 6, 134, 38, 166},  {206, 78, 238, 110, 198, 70, 230, 102},
        {62, 190, 30, 158, 54, 182, 22, 150}, {254, 126, 222, 94, 246, 118, 214, 86},
    };
    Canvas mono(*g, 10, 9, true);
    for (int grey = 0; grey < 256; grey += 3) {
        Hgdiobj brush = g->CreateSolidBrush(Rgb(grey, grey, grey));
        Hgdiobj old = g->SelectObject(mono.dc, brush);
        g->BitBlt(mono.dc, 0, 0, 10, 9, nullptr, 0, 0, 0x00F00021);  // PATCOPY
        g->SelectObject(mono.dc, old);
        g->DeleteObject(brush);
        const auto px = mono.Pixels();
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(px[y * 10 + x], grey + threshold[y % 8][x % 8] > 255 ? kWhite : 0)
                    << "grey " << grey << " at " << x << "," << y;
    }
    // A colour goes by its luminance (30 R + 59 G + 11 B) / 100: 0x3366CC is 126.
    Hgdiobj brush = g->CreateSolidBrush(0x3366CC);
    Hgdiobj old = g->SelectObject(mono.dc, brush);
    g->BitBlt(mono.dc, 0, 0, 10, 9, nullptr, 0, 0, 0x00F00021);
    g->SelectObject(mono.dc, old);
    g->DeleteObject(brush);
    const auto px = mono.Pixels();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(px[y * 10 + x], 126 + threshold[y][x] > 255 ? kWhite : 0) << x << "," << y;
}

TEST_F(RasterBlitBitBlt, MonochromeToColourTakesTheDestinationsColours) {
    const unsigned char bits[] = {0xA0, 0x00};  // 1 0 1 0
    Hdc mono_dc = g->CreateCompatibleDC(nullptr);
    Hgdiobj mono = g->CreateBitmap(4, 1, 1, 1, bits);
    Hgdiobj old = g->SelectObject(mono_dc, mono);
    g->SetBkColor(mono_dc, 0x00FF00);  // the source DC's colours play no part
    g->SetTextColor(mono_dc, 0xFF0000);
    Canvas c(*g, 5, 1);
    g->SetBkColor(c.dc, 0x123456);
    g->SetTextColor(c.dc, 0xABCDEF);
    g->BitBlt(c.dc, 0, 0, 4, 1, mono_dc, 0, 0, SRCCOPY);
    EXPECT_EQ(c.Row(0), (std::vector<ColorRef>{0x123456, 0xABCDEF, 0x123456, 0xABCDEF, kSentinel}));
    // Converted first, then combined.
    c.Fill(0x0F0F0F);
    g->BitBlt(c.dc, 0, 0, 4, 1, mono_dc, 0, 0, SRCINVERT);
    EXPECT_EQ(c.Row(0), (std::vector<ColorRef>{0x1D3B59, 0xA4C2E0, 0x1D3B59, 0xA4C2E0, 0x0F0F0F}));
    g->SelectObject(mono_dc, old);
    g->DeleteObject(mono);
    g->DeleteDC(mono_dc);
}

TEST_F(RasterBlitBitBlt, ColourToMonochromeMarksOnlyTheSourceBackgroundColour) {
    const ColorRef colors[] = {kWhite, 0, 0x123456, 0xC0C0C0, 0x123457};
    Canvas src(*g, 5, 1);
    for (int x = 0; x < 5; ++x) g->SetPixel(src.dc, x, 0, colors[x]);
    const struct {
        ColorRef bk;
        std::vector<ColorRef> mask;
    } cases[] = {
        {kWhite, {kWhite, 0, 0, 0, 0}},
        {0, {0, kWhite, 0, 0, 0}},  // black becomes white, white black
        {0x123456, {0, 0, kWhite, 0, 0}},
    };
    for (const auto& k : cases) {
        g->SetBkColor(src.dc, k.bk);
        Canvas mask(*g, 5, 1, true);
        g->SetBkColor(mask.dc, 0x123457);  // the destination's colours play no part
        g->SetTextColor(mask.dc, kWhite);
        g->BitBlt(mask.dc, 0, 0, 5, 1, src.dc, 0, 0, SRCCOPY);
        EXPECT_EQ(mask.Pixels(), k.mask) << std::hex << k.bk;
    }
}

TEST_F(RasterBlitBitBlt, MonochromeToMonochromeCopiesTheBits) {
    const unsigned char bits[] = {0xA0, 0x00};
    Hdc from = g->CreateCompatibleDC(nullptr);
    Hgdiobj mono = g->CreateBitmap(4, 1, 1, 1, bits);
    Hgdiobj old = g->SelectObject(from, mono);
    Canvas to(*g, 4, 1, true);
    g->SetBkColor(to.dc, 0);  // reversed colours change nothing between two masks
    g->SetTextColor(to.dc, kWhite);
    g->SetBkColor(from, 0x123456);
    g->BitBlt(to.dc, 0, 0, 4, 1, from, 0, 0, SRCCOPY);
    EXPECT_EQ(to.Pixels(), (std::vector<ColorRef>{kWhite, 0, kWhite, 0}));
    g->SelectObject(from, old);
    g->DeleteObject(mono);
    g->DeleteDC(from);
}

TEST_F(RasterBlitBitBlt, NegativeExtentsCoverBackFromTheOriginWithoutMirroring) {
    Canvas src(*g, 6, 1), dst(*g, 6, 1);
    src.FillIds();
    g->BitBlt(dst.dc, 4, 0, -2, 1, src.dc, 2, 0, SRCCOPY);  // 3..4 from 1..2
    EXPECT_EQ(dst.Row(0), (std::vector<ColorRef>{kSentinel, kSentinel, kSentinel, Id(1, 0),
                                                 Id(2, 0), kSentinel}));
    g->BitBlt(dst.dc, 1, 0, -2, 1, nullptr, 0, 0, BLACKNESS);  // 0..1
    EXPECT_EQ(dst.At(0, 0), 0u);
    EXPECT_EQ(dst.At(1, 0), 0u);
    EXPECT_EQ(dst.At(2, 0), kSentinel);
}

TEST_F(RasterBlitBitBlt, TheBlockIsCutToBothBitmapsAtBothEnds) {
    Canvas src(*g, 3, 2);
    src.FillIds();
    {
        Canvas d(*g, 5, 1);  // source from -1: destination column 0 keeps its pixel
        g->BitBlt(d.dc, 0, 0, 5, 1, src.dc, -1, 0, SRCCOPY);
        EXPECT_EQ(d.Row(0),
                  (std::vector<ColorRef>{kSentinel, Id(0, 0), Id(1, 0), Id(2, 0), kSentinel}));
    }
    {
        Canvas d(*g, 4, 2);  // destination from -1 and past the right edge
        g->BitBlt(d.dc, -1, 1, 6, 2, src.dc, 0, 0, SRCCOPY);
        EXPECT_EQ(d.Row(0), std::vector<ColorRef>(4, kSentinel));
        EXPECT_EQ(d.Row(1), (std::vector<ColorRef>{Id(1, 0), Id(2, 0), kSentinel, kSentinel}));
    }
    {
        Canvas d(*g, 2, 2);  // wholly outside either bitmap: nothing, and success
        EXPECT_TRUE(g->BitBlt(d.dc, 0, 0, 2, 2, src.dc, 3, 0, SRCCOPY));
        EXPECT_TRUE(g->BitBlt(d.dc, 2, 0, 2, 2, src.dc, 0, 0, SRCCOPY));
        EXPECT_TRUE(g->BitBlt(d.dc, 0, 0, 0, 2, src.dc, 0, 0, SRCCOPY));
        EXPECT_EQ(d.Pixels(), std::vector<ColorRef>(4, kSentinel));
    }
}

TEST_F(RasterBlitBitBlt, OverlappingBlocksInOneBitmapCopyAsThroughABuffer) {
    // Every direction of overlap within a 4 x 4 picture, against a copy made through a
    // second bitmap.
    for (int dx = -2; dx <= 2; ++dx)
        for (int dy = -2; dy <= 2; ++dy) {
            Canvas c(*g, 4, 4), reference(*g, 4, 4), buffer(*g, 4, 4);
            c.FillIds();
            reference.FillIds();
            buffer.FillIds();
            g->BitBlt(c.dc, 1 + dx, 1 + dy, 3, 2, c.dc, 1, 1, SRCCOPY);
            g->BitBlt(reference.dc, 1 + dx, 1 + dy, 3, 2, buffer.dc, 1, 1, SRCCOPY);
            EXPECT_EQ(c.Pixels(), reference.Pixels()) << dx << "," << dy;
        }
}

TEST_F(RasterBlitBitBlt, NewTransparentSkipsTheBackgroundColourOnlyOnADeviceThatHasIt) {
    Canvas src(*g, 3, 1), dst(*g, 3, 1);
    src.Fill(0x00FF00);
    g->SetPixel(src.dc, 1, 0, 0xFF00FF);
    g->SetBkColor(dst.dc, 0xFF00FF);
    EXPECT_EQ(g->SetBkMode(dst.dc, NEWTRANSPARENT), 0);  // refused without C1_TRANSPARENT
    g->BitBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Row(0), (std::vector<ColorRef>{0x00FF00, 0xFF00FF, 0x00FF00}));

    SetRasterCaps1(*g, C1_TRANSPARENT);
    dst.Fill(kSentinel);
    EXPECT_EQ(g->SetBkMode(dst.dc, NEWTRANSPARENT), OPAQUE);
    g->BitBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Row(0), (std::vector<ColorRef>{0x00FF00, kSentinel, 0x00FF00}));
    // Only SRCCOPY is transparent.
    dst.Fill(0);
    g->BitBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, SRCPAINT);
    EXPECT_EQ(dst.Row(0), (std::vector<ColorRef>{0x00FF00, 0xFF00FF, 0x00FF00}));

    // A monochrome source: its 1 bits become the background colour, so they stay out.
    const unsigned char bits[] = {0x40, 0x00};  // 0 1 0
    Hdc mono_dc = g->CreateCompatibleDC(nullptr);
    Hgdiobj mono = g->CreateBitmap(3, 1, 1, 1, bits);
    Hgdiobj old = g->SelectObject(mono_dc, mono);
    dst.Fill(kSentinel);
    g->SetTextColor(dst.dc, 0x102030);
    g->BitBlt(dst.dc, 0, 0, 3, 1, mono_dc, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.Row(0), (std::vector<ColorRef>{0x102030, kSentinel, 0x102030}));
    g->SelectObject(mono_dc, old);
    g->DeleteObject(mono);
    g->DeleteDC(mono_dc);
}

// Extreme coordinates and sizes: nothing may be written outside either bitmap (the
// sanitizer build turns a stray access into a failure) and nothing may hang.
TEST_F(RasterBlitBitBlt, ExtremeCoordinatesNeverLeaveTheBitmap) {
    const int values[] = {INT_MIN, INT_MIN + 1, -1000000, -5,      -1,          0,
                          1,       3,           5,        1000000, INT_MAX - 1, INT_MAX};
    Canvas c(*g, 5, 4), src(*g, 3, 3);
    for (int a : values)
        for (int b : values) {
            g->BitBlt(c.dc, a, b, b, a, src.dc, b, a, SRCCOPY);
            g->BitBlt(c.dc, 1, 1, a, b, src.dc, a, b, SRCINVERT);
            g->BitBlt(c.dc, a, 1, b, 2, c.dc, 1, a, SRCCOPY);
            g->BitBlt(c.dc, a, b, a, b, nullptr, 0, 0, DSTINVERT);
        }
    EXPECT_FALSE(g->BitBlt(c.dc, INT_MAX, 0, 1, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(g->BitBlt(c.dc, 1000000, 0, 4, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(c.Pixels().size(), 20u);
}

}  // namespace
}  // namespace sheenwork::gdi
