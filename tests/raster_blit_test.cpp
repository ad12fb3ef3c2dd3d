// Block transfers on the raster: which pixels StretchDIBits and BitBlt cover, which
// source pixel each one shows, how raster operations combine, how monochrome and colour
// bitmaps convert. Expected values were taken from real GDI (Wine 8) except where a
// test says it checks our fixed stretch rule.
#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
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

struct RasterBlitStretch : ::testing::Test {
    std::unique_ptr<Gdi> g = MakeRasterGdi();
};

// --- StretchDIBits: placement ----------------------------------------------------------

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

// The same picture as an 8-bit DIB: pixel (x, y) is palette entry y * width + x, which
// holds colour(x, y). Header and colour table lie end to end, as GDI reads them.
struct PalettedDib {
    template <typename Color>
    PalettedDib(int width, int height, bool top_down, Color color) {
        header.info.biWidth = width;
        header.info.biHeight = top_down ? -height : height;
        header.info.biBitCount = 8;
        header.info.biClrUsed = static_cast<std::uint32_t>(width * height);
        const int stride = (width + 3) / 4 * 4;
        bits.assign(static_cast<std::size_t>(stride) * height, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int index = y * width + x;
                const ColorRef c = color(x, y);
                std::uint8_t* entry = header.table + index * 4;
                entry[0] = static_cast<std::uint8_t>(BlueOf(c));
                entry[1] = static_cast<std::uint8_t>(GreenOf(c));
                entry[2] = static_cast<std::uint8_t>(RedOf(c));
                bits[static_cast<std::size_t>((top_down ? y : height - 1 - y) * stride + x)] =
                    static_cast<std::uint8_t>(index);
            }
    }
    int Stretch(Gdi& g, Hdc dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh) const {
        return g.StretchDIBits(dc, x, y, w, h, sx, sy, sw, sh, bits.data(), &header.info,
                               DIB_RGB_COLORS, SRCCOPY);
    }
    struct {
        BitmapInfoHeader info;
        std::uint8_t table[256 * 4] = {};
    } header;
    std::vector<std::uint8_t> bits;
};

TEST_F(RasterBlitStretch, CopiesOfTrueColourPixelsMatchThePixelByPixelPath) {
    // 24- and 32-bit pixels copied with SRCCOPY take the fast path (maps worked out once
    // per geometry and kept, fills of column runs, copies of repeated rows); the same
    // picture as an 8-bit DIB takes the general one, pixel by pixel. Random placements,
    // stretches, flips and clips, each geometry drawn again after another so that a kept
    // map is used a second time, must give the same pixels.
    const unsigned seed = 18;
    std::mt19937 rng(seed);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(rng);
    };
    for (int round = 0; round < 1500; ++round) {
        const int pw = pick(1, 9), ph = pick(1, 9), cw = pick(1, 64), ch = pick(1, 24);
        const bool top_down = pick(0, 1) == 1;
        const Dib fast(pw, ph, top_down, Id, pick(0, 1) == 1 ? 32 : 24);
        const PalettedDib slow(pw, ph, top_down, Id);
        struct Call {
            int x, y, w, h, sx, sy, sw, sh;
        };
        // Narrow sources often: the gradient band (4 columns) and the long column runs
        // of a strong enlargement.
        const auto random_call = [&] {
            const int kind = pick(0, 2);
            const int sw = kind == 0   ? (pick(0, 1) == 1 ? 4 : -4)
                           : kind == 1 ? pick(-3, 3)
                                       : pick(-12, 12);
            return Call{pick(-10, cw + 2),
                        pick(-6, ch + 2),
                        pick(-80, 80),
                        pick(-30, 30),
                        pick(-3, pw + 2),
                        pick(-3, ph + 2),
                        sw,
                        pick(-12, 12)};
        };
        const Call first = random_call(), second = random_call();
        Canvas a(*g, cw, ch), b(*g, cw, ch);
        for (const Call& c : {first, second, first}) {
            const int fast_result =
                fast.Stretch(*g, a.dc, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh);
            const int slow_result =
                slow.Stretch(*g, b.dc, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh);
            ASSERT_EQ(fast_result, slow_result) << "seed " << seed << " round " << round;
            ASSERT_EQ(a.Pixels(), b.Pixels())
                << "seed " << seed << " round " << round << ": " << pw << "x" << ph << " on " << cw
                << "x" << ch << " at (" << c.x << "," << c.y << "," << c.w << "," << c.h
                << ") from (" << c.sx << "," << c.sy << "," << c.sw << "," << c.sh << ")";
        }
    }
}

// --- StretchDIBits: formats ------------------------------------------------------------

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

}  // namespace
}  // namespace sheenwork::gdi
