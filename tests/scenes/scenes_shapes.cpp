// Pixel, rectangle and rounded-rectangle scenes: SetPixel / GetPixel, Rectangle,
// FillRect and RoundRect with degenerate, inverted, clipped and far-away coordinates.
#include <cstdint>
#include <iterator>
#include <string>

#include "scene_kit.h"

namespace sheenwork::scenes {
namespace {

// Draws the answer of GetPixel / SetPixel as a pixel: the colour itself, or pure
// magenta for CLR_INVALID so that "invalid" cannot pass for a colour.
void Show(gdi::Gdi& g, gdi::Hdc dc, int x, int y, gdi::ColorRef answer) {
    g.SetPixel(dc, x, y, answer == gdi::kClrInvalid ? 0xFF00FF : answer);
}

std::string Num(int v) { return std::to_string(v); }

}  // namespace

void AddShapeScenes(SceneList& list) {
    // --- SetPixel / GetPixel -----------------------------------------------------
    Add(list, "pixel-set-colors", 8, 4, [](gdi::Gdi& g, gdi::Hdc dc) {
        const gdi::ColorRef colors[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00,
                                        0xFF0000, 0x123456, 0xABCDEF, 0x808080};
        for (int i = 0; i < 8; ++i) {
            g.SetPixel(dc, i, 0, colors[i]);
            Show(g, dc, i, 2, g.GetPixel(dc, i, 0));
        }
    });
    Add(list, "pixel-set-returns-color", 8, 3, [](gdi::Gdi& g, gdi::Hdc dc) {
        const gdi::ColorRef colors[] = {0x010203, 0xFEFDFC, 0x7F7F7F, 0x00C0FF};
        for (int i = 0; i < 4; ++i) Show(g, dc, i * 2, 2, g.SetPixel(dc, i * 2, 0, colors[i]));
    });
    // GetPixel outside the bitmap answers CLR_INVALID and SetPixel there changes
    // nothing. (SetPixel's own answer outside is not compared: Wine returns the colour
    // where Windows returns -1.)
    Add(list, "pixel-outside-is-invalid", 8, 4, [](gdi::Gdi& g, gdi::Hdc dc) {
        const int probes[][2] = {{-1, 0}, {8, 0}, {0, -1}, {0, 4}, {-100000, 2}, {3, 100000}};
        int x = 0;
        for (auto& p : probes) {
            g.SetPixel(dc, p[0], p[1], 0x00FF00);
            Show(g, dc, x, 1, g.GetPixel(dc, p[0], p[1]));
            ++x;
        }
        Show(g, dc, 7, 1, g.GetPixel(dc, 7, 3));  // inside: the sentinel
    });
    Add(list, "pixel-copy-by-getpixel", 10, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Picture(g, dc, 5, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x) Show(g, dc, 9 - x, 9 - y, g.GetPixel(dc, x, y));
    });
    Add(list, "pixel-mono-bitmap-colors", 12, 4, [](gdi::Gdi& g, gdi::Hdc dc) {
        // SetPixel on a monochrome bitmap keeps black or white; read back and shown.
        Kit k(g, dc);
        gdi::Hdc mono = k.MemoryDc(12, 1, true);
        const gdi::ColorRef colors[] = {0x000000, 0xFFFFFF, 0x808080, 0x7F7F7F, 0x0000FF, 0xFFFF00,
                                        0x808000, 0x7F8080, 0x818181, 0xC0C0C0, 0x404040, 0x00FF00};
        for (int i = 0; i < 12; ++i) {
            Show(g, dc, i, 0, g.SetPixel(mono, i, 0, colors[i]));
            Show(g, dc, i, 2, g.GetPixel(mono, i, 0));
        }
    });
    Add(list, "pixel-mono-bk-color-is-white", 6, 2, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc mono = k.MemoryDc(6, 1, true);
        g.SetBkColor(mono, 0x102030);
        const gdi::ColorRef colors[] = {0x102030, 0x102031, 0xEFDFCF, 0x000000, 0xFFFFFF, 0x203010};
        for (int i = 0; i < 6; ++i) g.SetPixel(mono, i, 0, colors[i]);
        for (int i = 0; i < 6; ++i) Show(g, dc, i, 1, g.GetPixel(mono, i, 0));
    });

    // --- Rectangle ---------------------------------------------------------------
    struct Box {
        const char* name;
        int l, t, r, b;
    };
    const Box boxes[] = {
        {"normal", 2, 2, 12, 9},     {"empty", 5, 5, 5, 5},        {"1x1", 4, 4, 5, 5},
        {"2x2", 4, 4, 6, 6},         {"3x3", 4, 4, 7, 7},          {"1-wide", 4, 1, 5, 9},
        {"2-wide", 4, 1, 6, 9},      {"1-high", 1, 4, 12, 5},      {"2-high", 1, 4, 12, 6},
        {"inverted-x", 12, 2, 2, 9}, {"inverted-y", 2, 9, 12, 2},  {"inverted-both", 12, 9, 2, 2},
        {"partly-left-top", -4, -3, 6, 5}, {"partly-right-bottom", 8, 6, 20, 18},
        {"covers-all", -1, -1, 15, 11},    {"outside", 15, 2, 20, 9},
        {"huge", -100000, -100000, 100000, 100000}, {"huge-edges-visible", -100000, 3, 10, 100000},
    };
    for (const Box& b : boxes) {
        Add(list, std::string("rectangle-") + b.name, 14, 10, [b](gdi::Gdi& g, gdi::Hdc dc) {
            Kit k(g, dc);
            k.UsePen(0x743C00);
            k.UseBrush(0x40A0E0);
            g.Rectangle(dc, b.l, b.t, b.r, b.b);
        });
        Add(list, std::string("fillrect-") + b.name, 14, 10, [b](gdi::Gdi& g, gdi::Hdc dc) {
            Kit k(g, dc);
            const gdi::Rect r{b.l, b.t, b.r, b.b};
            g.FillRect(dc, &r, k.Brush(0x2080F0));
        });
    }
    Add(list, "rectangle-default-objects", 10, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        g.Rectangle(dc, 1, 1, 9, 7);  // black pen, white brush
    });
    Add(list, "rectangle-null-brush", 10, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UseStock(gdi::NULL_BRUSH);
        k.UsePen(0x0000FF);
        g.Rectangle(dc, 1, 1, 9, 7);
        g.Rectangle(dc, 3, 3, 5, 5);
    });
    Add(list, "rectangle-null-pen", 10, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        // Without a pen the fill covers one pixel less on the right and bottom.
        Kit k(g, dc);
        k.UseStock(gdi::NULL_PEN);
        k.UseBrush(0x00A000);
        g.Rectangle(dc, 1, 1, 9, 7);
    });
    Add(list, "rectangle-null-pen-tiny", 10, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UseStock(gdi::NULL_PEN);
        k.UseBrush(0x00A000);
        g.Rectangle(dc, 1, 1, 2, 2);
        g.Rectangle(dc, 4, 1, 6, 3);
        g.Rectangle(dc, 1, 4, 4, 7);
        g.Rectangle(dc, 8, 6, 6, 4);
    });
    Add(list, "rectangle-null-pen-null-brush", 10, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UseStock(gdi::NULL_PEN);
        k.UseStock(gdi::NULL_BRUSH);
        g.Rectangle(dc, 1, 1, 9, 7);
    });
    Add(list, "rectangle-nested-colors", 16, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        for (int i = 0; i < 7; ++i) {
            Kit step(g, dc);
            step.UsePen(gdi::Rgb(static_cast<unsigned>(i * 40), 0, 255 - static_cast<unsigned>(i * 30)));
            step.UseBrush(gdi::Rgb(0, static_cast<unsigned>(i * 35), 90));
            g.Rectangle(dc, i, i, 16 - i, 16 - i);
        }
    });
    Add(list, "fillrect-stock-brushes", 12, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        const gdi::Rect a{1, 1, 4, 5}, b{5, 1, 8, 5}, c{9, 1, 11, 5};
        g.FillRect(dc, &a, g.GetStockObject(gdi::BLACK_BRUSH));
        g.FillRect(dc, &b, g.GetStockObject(gdi::WHITE_BRUSH));
        g.FillRect(dc, &c, g.GetStockObject(gdi::NULL_BRUSH));
    });
    Add(list, "fillrect-ignores-pen", 10, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UsePen(0x0000FF);
        k.UseBrush(0x00FF00);  // the selected brush is not used either
        const gdi::Rect r{2, 2, 8, 6};
        g.FillRect(dc, &r, k.Brush(0xFF0000));
    });
    Add(list, "fillrect-on-mono", 12, 4, [](gdi::Gdi& g, gdi::Hdc dc) {
        // Brush colours on a monochrome bitmap, copied out in the default colours.
        Kit k(g, dc);
        gdi::Hdc mono = k.MemoryDc(12, 2, true);
        const gdi::ColorRef colors[] = {0x000000, 0xFFFFFF, 0x808080, 0x7F7F7F, 0xC0C0C0, 0x3050FF};
        for (int i = 0; i < 6; ++i) k.Fill(mono, gdi::Rect{i * 2, 0, i * 2 + 2, 2}, colors[i]);
        g.BitBlt(dc, 0, 1, 12, 2, mono, 0, 0, gdi::SRCCOPY);
    });
    // Solid brushes on a monochrome bitmap are dithered with an 8 x 8 pattern anchored at
    // the bitmap's origin: a full pattern per colour, greys either side of the levels
    // where a threshold flips, and colours that go by their luminance.
    static constexpr gdi::ColorRef dithered[] = {0x010101, 0x7E7E7E, 0x808080, 0x818181, 0x404040,
                                      0xC0C0C0, 0xFDFDFD, 0xFEFEFE, 0x0000FF, 0x00FF00,
                                      0xFF0000, 0x3366CC, 0xE0A020, 0x102030, 0xF0F0E0};
    for (std::size_t i = 0; i < std::size(dithered); i += 5)
        Add(list, "fillrect-on-mono-dither-" + Num(static_cast<int>(i / 5)), 40, 8,
            [i](gdi::Gdi& g, gdi::Hdc dc) {
                Kit k(g, dc);
                gdi::Hdc mono = k.MemoryDc(40, 8, true);
                for (std::size_t n = 0; n < 5; ++n)
                    k.Fill(mono, gdi::Rect{static_cast<int>(n) * 8, 0, static_cast<int>(n) * 8 + 8, 8},
                           dithered[i + n]);
                g.BitBlt(dc, 0, 0, 40, 8, mono, 0, 0, gdi::SRCCOPY);
            });
    Add(list, "fillrect-on-mono-offsets", 24, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        // Rectangles at odd offsets, inverted ones and one hanging over the edge show the
        // pattern where the bitmap's origin puts it, not where the rectangle starts.
        Kit k(g, dc);
        gdi::Hdc mono = k.MemoryDc(24, 16, true);
        k.Fill(mono, gdi::Rect{3, 1, 10, 6}, 0x808080);
        k.Fill(mono, gdi::Rect{19, 2, 11, 7}, 0x9A9A9A);
        k.Fill(mono, gdi::Rect{5, 15, 1, 9}, 0x606060);
        k.Fill(mono, gdi::Rect{13, 9, 30, 20}, 0x3050FF);
        g.BitBlt(dc, 0, 0, 24, 16, mono, 0, 0, gdi::SRCCOPY);
    });
    Add(list, "fillrect-on-mono-system-brush", 16, 8, [](gdi::Gdi& g, gdi::Hdc dc) {
        // A system colour index + 1 in place of a brush is dithered like a brush.
        Kit k(g, dc);
        gdi::Hdc mono = k.MemoryDc(16, 8, true);
        const gdi::Rect face{0, 0, 8, 8}, shadow{8, 0, 16, 8};
        const auto system_brush = [](int index) {
            return reinterpret_cast<gdi::Hgdiobj>(static_cast<std::uintptr_t>(index + 1));
        };
        g.FillRect(mono, &face, system_brush(gdi::COLOR_3DFACE));
        g.FillRect(mono, &shadow, system_brush(gdi::COLOR_3DSHADOW));
        g.SetBkColor(dc, 0x20C020);
        g.SetTextColor(dc, 0x2020C0);
        g.BitBlt(dc, 0, 0, 16, 8, mono, 0, 0, gdi::SRCCOPY);
    });
    Add(list, "rectangle-and-roundrect-on-mono", 30, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        // The brush inside Rectangle and RoundRect is dithered too; the pen is not.
        Kit k(g, dc);
        gdi::Hdc mono = k.MemoryDc(30, 12, true);
        k.Fill(mono, gdi::Rect{0, 0, 30, 12}, 0xFFFFFF);
        Kit shapes(g, mono);
        shapes.UsePen(0x000000);
        shapes.UseBrush(0x909090);
        g.Rectangle(mono, 1, 1, 13, 11);
        g.RoundRect(mono, 15, 1, 29, 11, 6, 6);
        g.BitBlt(dc, 0, 0, 30, 12, mono, 0, 0, gdi::SRCCOPY);
    });

    // --- RoundRect ---------------------------------------------------------------
    // The XP frame's 5 x 5 corners over several sizes, hollow and filled. These put
    // the rectangle kRoundMargin in from each side (the known corner difference).
    const int frame_sizes[][2] = {{12, 10}, {20, 14}, {9, 9}, {30, 12}, {79, 27}};
    for (auto& s : frame_sizes) {
        const int w = s[0], h = s[1];
        for (bool filled : {false, true})
            Add(list,
                "roundrect-5x5-" + Num(w - 2 * kRoundMargin) + "x" + Num(h - 2 * kRoundMargin) +
                    (filled ? "-filled" : "-hollow"),
                w, h,
                [w, h, filled](gdi::Gdi& g, gdi::Hdc dc) {
                    Kit k(g, dc);
                    k.UsePen(0x743C00);
                    if (filled) k.UseBrush(0xE0F0F0);
                    else k.UseStock(gdi::NULL_BRUSH);
                    g.RoundRect(dc, kRoundMargin, kRoundMargin, w - kRoundMargin, h - kRoundMargin, 5, 5);
                },
                kRoundRectCorner);
    }
    // Other corner ellipses.
    const int ellipses[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {6, 6}, {7, 7}, {8, 8},
                               {10, 6}, {6, 10}, {3, 9}, {20, 20}, {40, 4}};
    for (auto& e : ellipses)
        for (bool filled : {false, true})
            Add(list,
                "roundrect-ellipse-" + Num(e[0]) + "x" + Num(e[1]) + (filled ? "-filled" : "-hollow"),
                20, 16, [e0 = e[0], e1 = e[1], filled](gdi::Gdi& g, gdi::Hdc dc) {
                    Kit k(g, dc);
                    k.UsePen(0x0000A0);
                    if (filled) k.UseBrush(0x60E060);
                    else k.UseStock(gdi::NULL_BRUSH);
                    g.RoundRect(dc, 2, 2, 18, 14, e0, e1);
                });
    // Tiny rectangles, 1..8 pixels on a side, with the 5 x 5 ellipse.
    // From 5 pixels on they show the known corner difference.
    for (int size = 1; size <= 8; ++size)
        Add(list, "roundrect-tiny-" + Num(size), size + 2 * kRoundMargin, size + 2 * kRoundMargin,
            [size](gdi::Gdi& g, gdi::Hdc dc) {
                Kit k(g, dc);
                k.UsePen(0x000000);
                k.UseBrush(0x00C0FF);
                g.RoundRect(dc, kRoundMargin, kRoundMargin, kRoundMargin + size, kRoundMargin + size, 5, 5);
            },
            size >= 5 ? kRoundRectCorner : "");
    Add(list, "roundrect-tiny-hollow-row", 40, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UseStock(gdi::NULL_BRUSH);
        for (int w = 1, x = 0; w <= 6; x += w + 2, ++w) g.RoundRect(dc, x, 1, x + w, 5, 3, 3);
    });
    Add(list, "roundrect-null-pen", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UseStock(gdi::NULL_PEN);
        k.UseBrush(0xA02020);
        g.RoundRect(dc, kRoundMargin, kRoundMargin, 16 - kRoundMargin, 12 - kRoundMargin, 5, 5);
    }, kRoundRectCorner);
    Add(list, "roundrect-inverted", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UseBrush(0x20A0A0);
        g.RoundRect(dc, 16 - kRoundMargin, 12 - kRoundMargin, kRoundMargin, kRoundMargin, 5, 5);
    }, kRoundRectCorner);
    Add(list, "roundrect-partly-outside", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UsePen(0x0000FF);
        k.UseBrush(0xFFE0C0);
        g.RoundRect(dc, -5, -4, 8, 7, 6, 6);
        g.RoundRect(dc, 9, 6, 22, 17, 7, 7);
    });
    Add(list, "roundrect-wholly-outside", 12, 10, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UseBrush(0x0000FF);
        g.RoundRect(dc, 13, 0, 20, 10, 5, 5);
        g.RoundRect(dc, -9, -9, 0, 0, 5, 5);
        g.RoundRect(dc, 0, 10, 12, 18, 5, 5);
    });
    Add(list, "roundrect-huge", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UsePen(0x00A000);
        k.UseBrush(0x404040);
        g.RoundRect(dc, -100000, 3, 100000, 9, 6, 6);
        g.RoundRect(dc, 4, -100000, 11, 100000, 4, 4);
    });
    Add(list, "roundrect-huge-ellipse", 24, 16, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        k.UseStock(gdi::NULL_BRUSH);
        g.RoundRect(dc, 1, 1, 23, 15, 100000, 100000);  // clamped to the rectangle: an ellipse
    });
    Add(list, "roundrect-on-picture", 16, 12, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        Picture(g, dc, 16, 12);
        k.UseStock(gdi::NULL_BRUSH);
        k.UsePen(0xFFFFFF);
        g.RoundRect(dc, 1, 1, 15, 11, 6, 6);
    });
}

}  // namespace sheenwork::scenes
