// Bitmap-transfer scenes: StretchDIBits from 24-bit DIBs (both row orders, stretched,
// shrunk, mirrored, clipped), BitBlt with every raster operation, monochrome/colour
// conversion, overlapping copies, the NEWTRANSPARENT background mode and CAPS1.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "scene_kit.h"

namespace sheenwork::scenes {
namespace {

std::string Num(int v) { return std::to_string(v); }

// A 24-bit DIB: `rows` rows of `columns` pixels, colour(column, row) with row 0 the top
// of the picture, stored bottom-up (biHeight > 0) or top-down (biHeight < 0).
struct Dib {
    gdi::BitmapInfoHeader info;
    std::vector<std::uint8_t> bits;
};
template <typename ColorOf>
Dib MakeDib(int columns, int rows, bool top_down, ColorOf color) {
    Dib d;
    const int stride = (columns * 3 + 3) & ~3;
    d.bits.assign(static_cast<std::size_t>(stride) * rows, 0xEE);  // padding bytes too
    for (int r = 0; r < rows; ++r) {
        const int stored = top_down ? r : rows - 1 - r;
        for (int c = 0; c < columns; ++c) {
            const gdi::ColorRef v = color(c, r);
            std::uint8_t* p = d.bits.data() + static_cast<std::size_t>(stored) * stride + c * 3;
            p[0] = static_cast<std::uint8_t>(gdi::BlueOf(v));
            p[1] = static_cast<std::uint8_t>(gdi::GreenOf(v));
            p[2] = static_cast<std::uint8_t>(gdi::RedOf(v));
        }
    }
    d.info.biWidth = columns;
    d.info.biHeight = top_down ? -rows : rows;
    d.info.biBitCount = 24;
    d.info.biSizeImage = static_cast<std::uint32_t>(d.bits.size());
    return d;
}

// White with two bits cleared: bit (column mod 12) and bit 12 + (row mod 12), so the
// AND of a block of pixels names its columns and rows.
gdi::ColorRef Marks(int column, int row) {
    return 0xFFFFFFu & ~(1u << (column % 12)) & ~(1u << (12 + row % 12));
}

int Stretch(gdi::Gdi& g, gdi::Hdc dc, const Dib& d, int x, int y, int w, int h, int sx, int sy,
            int sw, int sh, std::uint32_t rop = gdi::SRCCOPY) {
    return g.StretchDIBits(dc, x, y, w, h, sx, sy, sw, sh, d.bits.data(), &d.info,
                           gdi::DIB_RGB_COLORS, rop);
}

// An integer answer shown as two pixels: its low 24 bits, then its top 8 bits.
// A 12 x 8 monochrome bitmap, black above and white below, with two pen lines in each
// half drawn while the DC's background colour is `backgrounds` of that half (pens[half]),
// shown through a colour DC's text and background colours.
void PenRowsOnMonoBackgrounds(gdi::Gdi& g, gdi::Hdc dc, std::array<gdi::ColorRef, 2> backgrounds,
                              std::array<std::array<gdi::ColorRef, 2>, 2> pens) {
    Kit k(g, dc);
    gdi::Hdc mono = k.MemoryDc(12, 8, true);
    k.Fill(mono, gdi::Rect{0, 0, 12, 4}, 0x000000);
    k.Fill(mono, gdi::Rect{0, 4, 12, 8}, 0xFFFFFF);
    for (int b = 0; b < 2; ++b) {
        g.SetBkColor(mono, backgrounds[b]);
        for (int i = 0; i < 2; ++i) {
            Kit pen(g, mono);
            pen.UsePen(pens[b][i]);
            const int y = b * 4 + i * 2 + 1;
            g.MoveToEx(mono, 1, y, nullptr);
            g.LineTo(mono, 11, y);
        }
    }
    g.SetBkColor(dc, 0xF0E0D0);
    g.SetTextColor(dc, 0x102030);
    g.BitBlt(dc, 0, 0, 12, 8, mono, 0, 0, gdi::SRCCOPY);
}

void ShowInt(gdi::Gdi& g, gdi::Hdc dc, int x, int y, int value) {
    const auto v = static_cast<std::uint32_t>(value);
    g.SetPixel(dc, x, y, v & 0xFFFFFFu);
    g.SetPixel(dc, x + 1, y, (v >> 24) | 0x808000u);
}

struct Rop {
    const char* name;
    std::uint32_t code;
};
constexpr Rop kRops[] = {
    {"srccopy", gdi::SRCCOPY},         {"srcpaint", gdi::SRCPAINT},
    {"srcand", gdi::SRCAND},           {"srcinvert", gdi::SRCINVERT},
    {"srcerase", gdi::SRCERASE},       {"notsrccopy", gdi::NOTSRCCOPY},
    {"notsrcerase", gdi::NOTSRCERASE}, {"mergepaint", gdi::MERGEPAINT},
    {"dstinvert", gdi::DSTINVERT},     {"blackness", gdi::BLACKNESS},
    {"whiteness", gdi::WHITENESS},
};

// A 12 x 8 monochrome picture: a checker of 2 x 2 squares with a white column 9.
std::vector<std::uint8_t> MonoChecker() {
    std::vector<std::uint8_t> bits(2 * 8, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            if ((((x / 2) + (y / 2)) % 2 == 0) || x == 9)
                bits[static_cast<std::size_t>(y) * 2 + x / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
    return bits;
}

const std::vector<gdi::ColorRef> kDestStripes = {0x0F0F0F, 0xF0F0F0, 0x3366CC, 0xC06030};

}  // namespace

void AddBlitScenes(SceneList& list) {
    // --- StretchDIBits -----------------------------------------------------------
    // The 4-column source over the whole bitmap, rows one to one, in both row orders.
    for (bool top_down : {false, true})
        for (int w : {1, 2, 3, 4, 5, 7, 8, 9, 12, 16, 20, 73, 80})
            Add(
                list, std::string("stretch-4-to-") + Num(w) + (top_down ? "-topdown" : "-bottomup"),
                w, 6,
                [w, top_down](gdi::Gdi& g, gdi::Hdc dc) {
                    const Dib d = MakeDib(kStretchColumnsCount, 6, top_down, StretchSource);
                    Stretch(g, dc, d, 0, 0, w, 6, 0, 0, kStretchColumnsCount, 6);
                },
                kStretchColumns);
    Add(
        list, "stretch-button-band-75x23", 75, 23,
        [](gdi::Gdi& g, gdi::Hdc dc) {
            const Dib d = MakeDib(kStretchColumnsCount, 23, false, StretchSource);
            Stretch(g, dc, d, 0, 0, 75, 23, 0, 0, kStretchColumnsCount, 23);
        },
        kStretchColumns);
    // One-to-one copies place every pixel exactly, whatever the row order or padding.
    for (int columns : {1, 3, 4, 5, 7})
        for (bool top_down : {false, true})
            Add(list,
                "stretch-identity-" + Num(columns) + "-columns" +
                    (top_down ? "-topdown" : "-bottomup"),
                columns + 4, 9, [columns, top_down](gdi::Gdi& g, gdi::Hdc dc) {
                    const Dib d = MakeDib(columns, 7, top_down, PatternColor);
                    Stretch(g, dc, d, 2, 1, columns, 7, 0, 0, columns, 7);
                });
    // Mirrored: a negative destination or source width or height.
    for (int w : {4, 8, 16})
        Add(list, "stretch-mirror-dest-width-" + Num(w), w, 6, [w](gdi::Gdi& g, gdi::Hdc dc) {
            const Dib d = MakeDib(4, 6, false, StretchSource);
            Stretch(g, dc, d, w, 0, -w, 6, 0, 0, 4, 6);
        });
    Add(list, "stretch-mirror-source-width", 8, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 6, false, StretchSource);
        Stretch(g, dc, d, 0, 0, 8, 6, 4, 0, -4, 6);
    });
    Add(list, "stretch-mirror-both-widths", 8, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 6, false, StretchSource);
        Stretch(g, dc, d, 8, 0, -8, 6, 4, 0, -4, 6);
    });
    Add(list, "stretch-mirror-dest-height", 4, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 6, true, StretchSource);
        Stretch(g, dc, d, 0, 6, 4, -6, 0, 0, 4, 6);
    });
    // Vertical stretching and source sub-rectangles.
    Add(list, "stretch-rows-1-to-6", 8, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 1, false, StretchSource);
        Stretch(g, dc, d, 0, 0, 8, 6, 0, 0, 4, 1);
    });
    Add(list, "stretch-rows-3-to-7", 4, 7, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 3, false, StretchSource);
        Stretch(g, dc, d, 0, 0, 4, 7, 0, 0, 4, 3);
    });
    Add(list, "stretch-rows-8-to-3", 4, 3, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 8, false, StretchSource);
        Stretch(g, dc, d, 0, 0, 4, 3, 0, 0, 4, 8);
    });
    // Rows and columns of other sizes, both ways. The source marks each pixel by two
    // cleared bits (its column's and its row's), so a destination pixel shows exactly
    // which source pixels were ANDed into it.
    const int row_pairs[][2] = {{1, 3}, {2, 5}, {4, 9}, {5, 13}, {7, 8}, {3, 10},
                                {7, 2}, {5, 4}, {9, 6}, {13, 5}, {6, 1}, {16, 7}};
    for (auto& p : row_pairs)
        for (bool top_down : {false, true})
            Add(list,
                "stretch-rows-" + Num(p[0]) + "-to-" + Num(p[1]) +
                    (top_down ? "-topdown" : "-bottomup"),
                4, p[1], [s = p[0], d = p[1], top_down](gdi::Gdi& g, gdi::Hdc dc) {
                    const Dib dib = MakeDib(4, s, top_down, Marks);
                    Stretch(g, dc, dib, 0, 0, 4, d, 0, 0, 4, s);
                });
    const int column_pairs[][2] = {{5, 2}, {7, 3}, {9, 4}, {6, 5}, {3, 2},  {8, 1},
                                   {2, 5}, {3, 7}, {5, 8}, {6, 9}, {7, 16}, {12, 5}};
    for (auto& p : column_pairs)
        Add(list, "stretch-columns-" + Num(p[0]) + "-to-" + Num(p[1]), p[1], 3,
            [s = p[0], d = p[1]](gdi::Gdi& g, gdi::Hdc dc) {
                const Dib dib = MakeDib(s, 3, false, Marks);
                Stretch(g, dc, dib, 0, 0, d, 3, 0, 0, s, 3);
            });
    // Both axes at once, shrinking, enlarging and one of each.
    const int block_pairs[][4] = {{7, 9, 3, 4}, {5, 3, 2, 7}, {3, 8, 7, 3}, {2, 3, 9, 8}};
    for (auto& p : block_pairs)
        Add(list,
            "stretch-block-" + Num(p[0]) + "x" + Num(p[1]) + "-to-" + Num(p[2]) + "x" + Num(p[3]),
            p[2] + 2, p[3] + 2, [p](gdi::Gdi& g, gdi::Hdc dc) {
                const Dib dib = MakeDib(p[0], p[1], false, Marks);
                Stretch(g, dc, dib, 1, 1, p[2], p[3], 0, 0, p[0], p[1]);
            });
    // A block of rows from inside the picture: ySrc counts from the bottom for a
    // bottom-up DIB (and for a top-down one, since these are stretched SRCCOPYs).
    for (bool top_down : {false, true})
        for (int d : {3, 11})
            Add(list,
                "stretch-rows-ysrc-5-of-12-to-" + Num(d) + (top_down ? "-topdown" : "-bottomup"), 4,
                d, [d, top_down](gdi::Gdi& g, gdi::Hdc dc) {
                    const Dib dib = MakeDib(4, 12, top_down, Marks);
                    Stretch(g, dc, dib, 0, 0, 4, d, 0, 2, 4, 5);
                });
    // Flipped heights and destinations cut by the bitmap while the rows stretch.
    Add(list, "stretch-rows-mirrored-dest-3-to-7", 4, 7, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib dib = MakeDib(4, 3, false, Marks);
        Stretch(g, dc, dib, 0, 7, 4, -7, 0, 0, 4, 3);
    });
    Add(list, "stretch-rows-mirrored-dest-9-to-4", 4, 4, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib dib = MakeDib(4, 9, true, Marks);
        Stretch(g, dc, dib, 0, 3, 4, -4, 0, 0, 4, 9);
    });
    Add(list, "stretch-rows-mirrored-source-9-to-4", 4, 4, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib dib = MakeDib(4, 9, false, Marks);
        Stretch(g, dc, dib, 0, 0, 4, 4, 0, 9, 4, -9);
    });
    Add(list, "stretch-rows-clipped", 12, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib up = MakeDib(3, 4, false, Marks), down = MakeDib(5, 11, false, Marks);
        Stretch(g, dc, up, 0, -3, 3, 10, 0, 0, 3, 4);
        Stretch(g, dc, down, 4, -1, 3, 4, 0, 0, 5, 11);
        Stretch(g, dc, up, 8, 2, 3, 9, 0, 0, 3, 4);
        Stretch(g, dc, down, 10, 3, 5, 5, 0, 0, 5, 11);
    });
    // Shrinking onto a monochrome bitmap ANDs the bits: one non-white pixel in a group
    // makes it black. Shown back in colour.
    Add(list, "stretch-shrink-onto-mono", 6, 4, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        const Dib dib = MakeDib(12, 9, false, [](int c, int r) -> gdi::ColorRef {
            return (c * 7 + r * 3) % 11 == 0 ? 0xFEFFFF : 0xFFFFFF;
        });
        gdi::Hdc mono = k.MemoryDc(6, 4, true);
        Stretch(g, mono, dib, 0, 0, 6, 4, 0, 0, 12, 9);
        g.BitBlt(dc, 0, 0, 6, 4, mono, 0, 0, gdi::SRCCOPY);
    });
    // The raster operation sees the ANDed source.
    Add(list, "stretch-shrink-srcinvert", 5, 3, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        Stripes(k, dc, 5, 3, 1, kDestStripes);
        const Dib dib = MakeDib(7, 8, false, Marks);
        Stretch(g, dc, dib, 0, 0, 5, 3, 0, 0, 7, 8, gdi::SRCINVERT);
    });
    Add(list, "stretch-one-row-dest-rops", 6, 2, [](gdi::Gdi& g, gdi::Hdc dc) {
        // Onto one row, SRCCOPY ANDs every source row; another operation one row less.
        Kit k(g, dc);
        k.Fill(gdi::Rect{0, 1, 6, 2}, 0x000000);
        const Dib dib = MakeDib(6, 5, false, Marks);
        Stretch(g, dc, dib, 0, 0, 6, 1, 0, 0, 6, 5);
        Stretch(g, dc, dib, 0, 1, 6, 1, 0, 0, 6, 5, gdi::SRCPAINT);
    });
    Add(list, "stretch-source-subrect-bottomup", 8, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        // For a bottom-up DIB the source origin is its bottom-left corner.
        const Dib d = MakeDib(6, 8, false, PatternColor);
        Stretch(g, dc, d, 1, 1, 4, 3, 1, 2, 4, 3);
    });
    Add(list, "stretch-source-subrect-topdown", 8, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(6, 8, true, PatternColor);
        Stretch(g, dc, d, 1, 1, 4, 3, 1, 2, 4, 3);
    });
    Add(list, "stretch-dest-partly-outside", 10, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 4, false, PatternColor);
        Stretch(g, dc, d, -2, -1, 4, 4, 0, 0, 4, 4);
        Stretch(g, dc, d, 8, 6, 4, 4, 0, 0, 4, 4);
    });
    // A mirrored destination whose stretched source block hangs over the picture's edge:
    // GDI moves the destination so that the visible part lands where an unmirrored copy
    // would have put it. Columns: the block starts left of the picture; rows: counted
    // from the bottom, the block runs past the picture's top.
    Add(list, "stretch-mirrored-dest-source-over-edge", 14, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib dib = MakeDib(5, 6, false, Marks);
        Stretch(g, dc, dib, 6, 1, -6, 4, -2, 0, 4, 6);
        Stretch(g, dc, dib, 8, 11, 5, -9, 0, 3, 5, 6);
    });
    // 16-bit (5-5-5) pixels, each channel widened by repeating its top bits; one to one
    // and shrunk.
    Add(list, "stretch-16-bit", 12, 4, [](gdi::Gdi& g, gdi::Hdc dc) {
        constexpr int kColumns = 5, kRows = 3, kStride = (kColumns * 2 + 3) & ~3;
        std::vector<std::uint8_t> bits(kStride * kRows, 0xEE);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c) {
                const gdi::ColorRef v = PatternColor(c * 3, r * 5);
                const unsigned p =
                    (gdi::RedOf(v) >> 3) << 10 | (gdi::GreenOf(v) >> 3) << 5 | gdi::BlueOf(v) >> 3;
                bits[static_cast<std::size_t>(kRows - 1 - r) * kStride + c * 2] =
                    static_cast<std::uint8_t>(p);
                bits[static_cast<std::size_t>(kRows - 1 - r) * kStride + c * 2 + 1] =
                    static_cast<std::uint8_t>(p >> 8);
            }
        gdi::BitmapInfoHeader info;
        info.biWidth = kColumns;
        info.biHeight = kRows;
        info.biBitCount = 16;
        info.biSizeImage = static_cast<std::uint32_t>(bits.size());
        g.StretchDIBits(dc, 0, 0, kColumns, kRows, 0, 0, kColumns, kRows, bits.data(), &info,
                        gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
        g.StretchDIBits(dc, 6, 0, 3, 2, 0, 0, kColumns, kRows, bits.data(), &info,
                        gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
    });
    // 1- and 4-bit pixels through their colour tables (neither black nor white in the
    // 1-bit one), one to one and enlarged.
    Add(list, "stretch-1-and-4-bit", 16, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        struct {
            gdi::BitmapInfoHeader info;
            std::uint8_t table[16 * 4];
        } header{};
        for (int i = 0; i < 16; ++i) {
            const gdi::ColorRef c = PatternColor(i, 15 - i);
            header.table[i * 4] = static_cast<std::uint8_t>(gdi::BlueOf(c));
            header.table[i * 4 + 1] = static_cast<std::uint8_t>(gdi::GreenOf(c));
            header.table[i * 4 + 2] = static_cast<std::uint8_t>(gdi::RedOf(c));
        }
        // 1 bit: 10 x 3, rows of 4 bytes, the first pixel in the top bit.
        const std::uint8_t one[] = {0xB5, 0x40, 0, 0, 0x4A, 0x80, 0, 0, 0xF0, 0xC0, 0, 0};
        header.info.biWidth = 10;
        header.info.biHeight = 3;
        header.info.biBitCount = 1;
        header.info.biClrUsed = 2;
        g.StretchDIBits(dc, 0, 0, 10, 3, 0, 0, 10, 3, one, &header.info, gdi::DIB_RGB_COLORS,
                        gdi::SRCCOPY);
        g.StretchDIBits(dc, 0, 3, 15, 5, 0, 0, 10, 3, one, &header.info, gdi::DIB_RGB_COLORS,
                        gdi::SRCCOPY);
        // 4 bits: 5 x 2, the first pixel in the high nibble.
        const std::uint8_t four[] = {0x01, 0x23, 0x40, 0, 0xFE, 0xDC, 0xB0, 0};
        header.info.biWidth = 5;
        header.info.biHeight = 2;
        header.info.biBitCount = 4;
        header.info.biClrUsed = 16;
        g.StretchDIBits(dc, 11, 0, 5, 2, 0, 0, 5, 2, four, &header.info, gdi::DIB_RGB_COLORS,
                        gdi::SRCCOPY);
        g.StretchDIBits(dc, 11, 2, 5, 3, 0, 0, 5, 2, four, &header.info, gdi::DIB_RGB_COLORS,
                        gdi::SRCCOPY);
    });
    // Negative extents with raster operations other than SRCCOPY: equal ones in both
    // directions, equal heights only, and unequal heights.
    Add(list, "stretch-rop-negative-extents", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        Stripes(k, dc, 16, 12, 2, kDestStripes);
        const Dib d = MakeDib(5, 6, false, Marks);
        Stretch(g, dc, d, 4, 5, -4, -5, 4, 5, -4, -5, gdi::SRCAND);
        Stretch(g, dc, d, 9, 5, 4, -5, 0, 5, 4, -5, gdi::SRCINVERT);
        Stretch(g, dc, d, 15, 11, -4, -5, 4, 4, -4, -3, gdi::SRCPAINT);
        Stretch(g, dc, d, 4, 11, 4, -4, 0, 4, 4, -4, gdi::NOTSRCCOPY);
    });
    Add(list, "stretch-dest-wholly-outside", 6, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 4, false, PatternColor);
        Stretch(g, dc, d, 6, 0, 4, 4, 0, 0, 4, 4);
        Stretch(g, dc, d, -4, 0, 4, 4, 0, 0, 4, 4);
        Stretch(g, dc, d, 0, -4, 4, 4, 0, 0, 4, 4);
    });
    Add(list, "stretch-huge-dest", 12, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 6, false, StretchSource);
        Stretch(g, dc, d, -50000, 0, 100000, 6, 0, 0, 4, 6);
    });
    for (const Rop& r : {kRops[1], kRops[2], kRops[3]})
        Add(list, std::string("stretch-rop-") + r.name, 8, 6, [r](gdi::Gdi& g, gdi::Hdc dc) {
            Kit k(g, dc);
            Stripes(k, dc, 8, 6, 2, kDestStripes);
            const Dib d = MakeDib(8, 6, false, PatternColor);
            Stretch(g, dc, d, 0, 0, 8, 6, 0, 0, 8, 6, r.code);
        });
    Add(list, "stretch-return-values", 8, 2, [](gdi::Gdi& g, gdi::Hdc dc) {
        const Dib d = MakeDib(4, 6, false, StretchSource);
        ShowInt(g, dc, 0, 1, Stretch(g, dc, d, 0, 0, 8, 1, 0, 0, 4, 6));
        ShowInt(g, dc, 3, 1, Stretch(g, dc, d, 20, 0, 8, 1, 0, 0, 4, 6));
    });

    // --- BitBlt ------------------------------------------------------------------
    for (const Rop& r : kRops) {
        Add(list, std::string("bitblt-rop-") + r.name, 14, 10, [r](gdi::Gdi& g, gdi::Hdc dc) {
            Kit k(g, dc);
            Stripes(k, dc, 14, 10, 3, kDestStripes);
            gdi::Hdc src = k.MemoryDc(10, 8);
            Picture(g, src, 10, 8);
            g.BitBlt(dc, 2, 1, 10, 8, src, 0, 0, r.code);
        });
        Add(list, std::string("bitblt-rop-") + r.name + "-mono-source", 14, 10,
            [r](gdi::Gdi& g, gdi::Hdc dc) {
                Kit k(g, dc);
                Stripes(k, dc, 14, 10, 3, kDestStripes);
                const auto bits = MonoChecker();
                gdi::Hdc src = k.MemoryDc(12, 8, true, bits.data());
                g.SetBkColor(dc, 0x123456);
                g.SetTextColor(dc, 0xABCDEF);
                g.BitBlt(dc, 1, 1, 12, 8, src, 0, 0, r.code);
            });
    }
    Add(list, "bitblt-mono-to-color-default-colors", 14, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        const auto bits = MonoChecker();
        gdi::Hdc src = k.MemoryDc(12, 8, true, bits.data());
        g.BitBlt(dc, 1, 1, 12, 8, src, 0, 0, gdi::SRCCOPY);
    });
    Add(list, "bitblt-mono-to-color-source-dc-colors-unused", 14, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        // The destination DC's colours are the ones used, not the source DC's.
        Kit k(g, dc);
        const auto bits = MonoChecker();
        gdi::Hdc src = k.MemoryDc(12, 8, true, bits.data());
        g.SetBkColor(src, 0x0000FF);
        g.SetTextColor(src, 0x00FF00);
        g.SetBkColor(dc, 0xABCDEF);
        g.SetTextColor(dc, 0x123456);
        g.BitBlt(dc, 1, 1, 12, 8, src, 0, 0, gdi::SRCCOPY);
    });
    Add(list, "bitblt-color-to-mono-bk-match", 12, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        // Source pixels equal to the source DC's background colour become white, all
        // others black; the mono result is shown back in colour.
        Kit k(g, dc);
        gdi::Hdc src = k.MemoryDc(12, 8);
        Stripes(k, src, 12, 8, 2, {0x123456, 0xFFFFFF, 0x000000, 0x123457, 0xABCDEF, 0x808080});
        g.SetBkColor(src, 0x123456);
        gdi::Hdc mono = k.MemoryDc(12, 8, true);
        g.BitBlt(mono, 0, 0, 12, 8, src, 0, 0, gdi::SRCCOPY);
        g.SetBkColor(dc, 0x00C000);
        g.SetTextColor(dc, 0x0000C0);
        g.BitBlt(dc, 0, 0, 12, 8, mono, 0, 0, gdi::SRCCOPY);
    });
    Add(list, "bitblt-color-to-mono-white-bk", 12, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc src = k.MemoryDc(12, 8);
        Picture(g, src, 12, 8);
        k.Fill(src, gdi::Rect{2, 2, 8, 5}, 0xFFFFFF);
        gdi::Hdc mono = k.MemoryDc(12, 8, true);
        g.BitBlt(mono, 0, 0, 12, 8, src, 0, 0, gdi::SRCCOPY);
        g.BitBlt(dc, 0, 0, 12, 8, mono, 0, 0, gdi::SRCCOPY);
    });
    Add(list, "bitblt-color-to-mono-rops", 12, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc src = k.MemoryDc(12, 8);
        Stripes(k, src, 12, 8, 3, {0x123456, 0xABCDEF});
        g.SetBkColor(src, 0xABCDEF);
        const auto bits = MonoChecker();
        gdi::Hdc mono = k.MemoryDc(12, 8, true, bits.data());
        g.BitBlt(mono, 0, 0, 12, 4, src, 0, 0, gdi::SRCINVERT);
        g.BitBlt(mono, 0, 4, 12, 4, src, 0, 4, gdi::SRCAND);
        g.SetBkColor(dc, 0x123456);
        g.SetTextColor(dc, 0xABCDEF);
        g.BitBlt(dc, 0, 0, 12, 8, mono, 0, 0, gdi::SRCCOPY);
    });
    Add(list, "bitblt-mono-to-mono", 12, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        // Between two monochrome bitmaps the bits are copied whatever the colours.
        Kit k(g, dc);
        const auto bits = MonoChecker();
        gdi::Hdc a = k.MemoryDc(12, 8, true, bits.data());
        gdi::Hdc b = k.MemoryDc(12, 8, true);
        g.SetBkColor(a, 0x123456);
        g.SetTextColor(a, 0xABCDEF);
        g.SetBkColor(b, 0x000000);
        g.SetTextColor(b, 0xFFFFFF);
        g.BitBlt(b, 2, 1, 10, 7, a, 0, 0, gdi::SRCCOPY);
        g.BitBlt(dc, 0, 0, 12, 8, b, 0, 0, gdi::SRCCOPY);
    });
    Add(list, "bitblt-lines-on-mono", 12, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        // Coloured pens on a monochrome bitmap, then shown in colour.
        Kit k(g, dc);
        gdi::Hdc mono = k.MemoryDc(12, 8, true);
        k.Fill(mono, gdi::Rect{0, 0, 12, 8}, 0x404040);
        const gdi::ColorRef pens[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x7F7F7F, 0x0000FF, 0xFFFF00};
        for (int i = 0; i < 6; ++i) {
            Kit pen(g, mono);
            pen.UsePen(pens[i]);
            g.MoveToEx(mono, 0, i + 1, nullptr);
            g.LineTo(mono, 12, i + 1);
        }
        g.SetBkColor(dc, 0xF0E0D0);
        g.SetTextColor(dc, 0x102030);
        g.BitBlt(dc, 0, 0, 12, 8, mono, 0, 0, gdi::SRCCOPY);
    });
    Add(list, "bitblt-lines-on-mono-background-colour", 12, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        // A pen of the monochrome DC's own background colour takes that colour's bit;
        // another colour takes the other bit. A light and a dark background colour.
        PenRowsOnMonoBackgrounds(g, dc, {0xC0C0C0, 0x404040},
                                 {{{0xC0C0C0, 0x404040}, {0x404040, 0xC0C0C0}}});
    });
    Add(list, "bitblt-black-and-white-pens-on-mono-background-colour", 12, 8,
        [](gdi::Gdi& g, gdi::Hdc dc) {
            // Black and white pens keep their own bit whatever the background colour,
            // also where that colour falls to the bit of the other (a dark grey to black,
            // a light grey to white).
            PenRowsOnMonoBackgrounds(g, dc, {0x404040, 0xC0C0C0},
                                     {{{0x000000, 0xFFFFFF}, {0x000000, 0xFFFFFF}}});
        });
    Add(list, "bitblt-compatible-bitmaps", 12, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        // CreateCompatibleBitmap follows the DC: colour for a colour DC, monochrome for
        // a DC holding a monochrome bitmap.
        Kit k(g, dc);
        gdi::Hdc color_dc = g.CreateCompatibleDC(dc);
        gdi::Hgdiobj color_bitmap = g.CreateCompatibleBitmap(dc, 12, 4);
        gdi::Hgdiobj old_color = g.SelectObject(color_dc, color_bitmap);
        Picture(g, color_dc, 12, 4);
        g.BitBlt(dc, 0, 0, 12, 4, color_dc, 0, 0, gdi::SRCCOPY);
        gdi::Hdc mono_dc = k.MemoryDc(1, 1, true);
        gdi::Hgdiobj mono_bitmap = g.CreateCompatibleBitmap(mono_dc, 12, 4);
        gdi::Hdc other = g.CreateCompatibleDC(dc);
        gdi::Hgdiobj old_other = g.SelectObject(other, mono_bitmap);
        g.BitBlt(other, 0, 0, 12, 4, color_dc, 0, 0, gdi::SRCCOPY);  // to black and white
        g.BitBlt(dc, 0, 4, 12, 4, other, 0, 0, gdi::SRCCOPY);
        g.SelectObject(other, old_other);
        g.SelectObject(color_dc, old_color);
        g.DeleteObject(mono_bitmap);
        g.DeleteObject(color_bitmap);
        g.DeleteDC(other);
        g.DeleteDC(color_dc);
    });
    Add(list, "bitblt-chain-through-memory-dcs", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc a = k.MemoryDc(10, 8), b = k.MemoryDc(10, 8);
        Picture(g, a, 10, 8);
        Stripes(k, b, 10, 8, 2, kDestStripes);
        g.BitBlt(b, 1, 1, 8, 6, a, 0, 0, gdi::SRCINVERT);
        g.BitBlt(a, 0, 0, 10, 8, b, 0, 0, gdi::SRCPAINT);
        g.BitBlt(dc, 1, 1, 10, 8, a, 0, 0, gdi::SRCCOPY);
    });
    // Overlapping source and destination in one bitmap, in each direction.
    const int shifts[][2] = {{3, 0}, {-3, 0}, {0, 2}, {0, -2}, {2, 2}, {-2, -1}};
    for (auto& s : shifts)
        Add(list, "bitblt-overlap-dx" + Num(s[0]) + "-dy" + Num(s[1]), 12, 10,
            [dx = s[0], dy = s[1]](gdi::Gdi& g, gdi::Hdc dc) {
                Picture(g, dc, 12, 10);
                g.BitBlt(dc, 2 + dx, 2 + dy, 8, 6, dc, 2, 2, gdi::SRCCOPY);
            });
    Add(list, "bitblt-dest-partly-outside", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc src = k.MemoryDc(8, 6);
        Picture(g, src, 8, 6);
        g.BitBlt(dc, -3, -2, 8, 6, src, 0, 0, gdi::SRCCOPY);
        g.BitBlt(dc, 7, 6, 8, 6, src, 0, 0, gdi::NOTSRCCOPY);
    });
    Add(list, "bitblt-source-partly-outside", 14, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc src = k.MemoryDc(8, 6);
        Picture(g, src, 8, 6);
        g.BitBlt(dc, 1, 1, 8, 6, src, -3, -2, gdi::SRCCOPY);
        g.BitBlt(dc, 5, 6, 8, 6, src, 4, 3, gdi::SRCCOPY);
    });
    Add(list, "bitblt-huge-coordinates", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc src = k.MemoryDc(8, 6);
        Picture(g, src, 8, 6);
        g.BitBlt(dc, -100000, 0, 100004, 5, src, -99998, 0, gdi::SRCCOPY);
        g.BitBlt(dc, 0, 0, 12, 10, nullptr, 0, 0, gdi::BLACKNESS);  // no source needed
        g.BitBlt(dc, -100000, -100000, 200000, 100003, nullptr, 0, 0, gdi::DSTINVERT);
    });
    Add(list, "bitblt-zero-size", 8, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc src = k.MemoryDc(8, 6);
        g.BitBlt(dc, 1, 1, 0, 4, src, 0, 0, gdi::SRCCOPY);
        g.BitBlt(dc, 1, 1, 4, 0, src, 0, 0, gdi::SRCCOPY);
        g.BitBlt(dc, 1, 1, 0, 0, src, 0, 0, gdi::WHITENESS);
    });
    Add(list, "bitblt-negative-size", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc src = k.MemoryDc(8, 6);
        Picture(g, src, 8, 6);
        g.BitBlt(dc, 9, 7, -6, -4, src, 6, 4, gdi::SRCCOPY);
    });
    Add(list, "bitblt-to-self-inverting", 10, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        Picture(g, dc, 10, 8);
        g.BitBlt(dc, 0, 0, 10, 4, dc, 0, 0, gdi::SRCINVERT);  // x ^ x = black
        g.BitBlt(dc, 0, 4, 10, 4, dc, 0, 4, gdi::NOTSRCERASE);
    });

    // --- background modes and CAPS1 --------------------------------------------
    Add(list, "bkmode-set-and-get", 12, 2, [](gdi::Gdi& g, gdi::Hdc dc) {
        ShowInt(g, dc, 0, 0, g.GetBkMode(dc));
        ShowInt(g, dc, 2, 0, g.SetBkMode(dc, gdi::TRANSPARENT));
        ShowInt(g, dc, 4, 0, g.SetBkMode(dc, gdi::NEWTRANSPARENT));
        ShowInt(g, dc, 6, 0, g.GetBkMode(dc));
        ShowInt(g, dc, 8, 0, g.SetBkMode(dc, 0));
        ShowInt(g, dc, 10, 0, g.SetBkMode(dc, gdi::OPAQUE));
        ShowInt(g, dc, 0, 1, g.GetBkMode(dc));
    });
    Add(list, "bkcolor-textcolor-answers", 8, 2, [](gdi::Gdi& g, gdi::Hdc dc) {
        ShowInt(g, dc, 0, 0, static_cast<int>(g.GetBkColor(dc)));
        ShowInt(g, dc, 2, 0, static_cast<int>(g.GetTextColor(dc)));
        ShowInt(g, dc, 4, 0, static_cast<int>(g.SetBkColor(dc, 0x123456)));
        ShowInt(g, dc, 6, 0, static_cast<int>(g.SetTextColor(dc, 0xABCDEF)));
        ShowInt(g, dc, 0, 1, static_cast<int>(g.GetBkColor(dc)));
        ShowInt(g, dc, 2, 1, static_cast<int>(g.GetTextColor(dc)));
    });
    for (int mode : {gdi::OPAQUE, gdi::TRANSPARENT, gdi::NEWTRANSPARENT}) {
        Add(list, "bitblt-bkmode-" + Num(mode) + "-color-source", 14, 10,
            [mode](gdi::Gdi& g, gdi::Hdc dc) {
                // Where transparent blits are supported, NEWTRANSPARENT leaves destination
                // pixels whose source equals the destination DC's background colour.
                Kit k(g, dc);
                Stripes(k, dc, 14, 10, 3, kDestStripes);
                gdi::Hdc src = k.MemoryDc(12, 8);
                Stripes(k, src, 12, 8, 2, {0x123456, 0x00FF00, 0xFFFFFF});
                g.SetBkColor(dc, 0x123456);
                g.SetBkMode(dc, mode);
                g.BitBlt(dc, 1, 1, 12, 8, src, 0, 0, gdi::SRCCOPY);
            });
        Add(list, "bitblt-bkmode-" + Num(mode) + "-mono-source", 14, 10,
            [mode](gdi::Gdi& g, gdi::Hdc dc) {
                Kit k(g, dc);
                Stripes(k, dc, 14, 10, 3, kDestStripes);
                const auto bits = MonoChecker();
                gdi::Hdc src = k.MemoryDc(12, 8, true, bits.data());
                g.SetBkColor(dc, 0x123456);
                g.SetTextColor(dc, 0xABCDEF);
                g.SetBkMode(dc, mode);
                g.BitBlt(dc, 1, 1, 12, 8, src, 0, 0, gdi::SRCCOPY);
            });
    }
    Add(list, "devicecaps-caps1", 33, 3, [](gdi::Gdi& g, gdi::Hdc dc) {
        // Each bit of CAPS1 as a white (set) or black (clear) pixel, for the scene's DC
        // and for a DC holding a monochrome bitmap.
        Kit k(g, dc);
        gdi::Hdc mono = k.MemoryDc(4, 4, true);
        const int answers[] = {g.GetDeviceCaps(dc, gdi::CAPS1), g.GetDeviceCaps(mono, gdi::CAPS1)};
        for (int row = 0; row < 2; ++row)
            for (int bit = 0; bit < 32; ++bit)
                g.SetPixel(dc, bit, row,
                           (static_cast<unsigned>(answers[row]) >> bit) & 1u ? 0xFFFFFF : 0x000000);
        g.SetPixel(dc, 32, 2, (answers[0] & gdi::C1_TRANSPARENT) != 0 ? 0x00FF00 : 0x0000FF);
    });
    Add(list, "devicecaps-bitspixel-planes", 8, 2, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc mono = k.MemoryDc(4, 4, true);
        constexpr int kBitsPixel = 12, kPlanes = 14;
        ShowInt(g, dc, 0, 0, g.GetDeviceCaps(dc, kBitsPixel));
        ShowInt(g, dc, 2, 0, g.GetDeviceCaps(dc, kPlanes));
        ShowInt(g, dc, 0, 1, g.GetDeviceCaps(mono, kBitsPixel));
        ShowInt(g, dc, 2, 1, g.GetDeviceCaps(mono, kPlanes));
    });
}

}  // namespace sheenwork::scenes
