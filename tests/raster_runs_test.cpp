// Fills, copies and stretches on the raster against models written here or its own
// pixel-by-pixel paths: solid fills end in runs of every length (short loops, wide
// stores, the string store) and whole rows are filled or copied as one block, so random
// rectangles on bitmaps of every width up to several hundred pixels must still touch
// exactly the pixels the rules name; every raster operation against its truth table.
#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

#include "scenes/scenes.h"
#include "support/data.h"

#include <map>
#include <random>
#include <thread>
#include <vector>

namespace sheenwork::gdi {
namespace {

constexpr unsigned kSeed = 18;

// A memory DC on a colour bitmap whose pixels are all different, with a copy of them
// kept as the model's picture.
struct Canvas {
    Canvas(Gdi& gdi, int width, int height, unsigned salt) : g(gdi), w(width), h(height) {
        dc = g.CreateCompatibleDC(nullptr);
        bitmap = g.CreateSurfaceBitmap(width, height);
        old = g.SelectObject(dc, bitmap);
        model.resize(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const ColorRef c =
                    (static_cast<ColorRef>(y * width + x) * 2654435761u + salt) & 0x00FFFFFFu;
                g.SetPixel(dc, x, y, c);
                At(x, y) = c;
            }
    }
    ~Canvas() {
        g.SelectObject(dc, old);
        g.DeleteObject(bitmap);
        g.DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    ColorRef& At(int x, int y) { return model[static_cast<std::size_t>(y) * w + x]; }
    bool Inside(long long x, long long y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    std::vector<ColorRef> Pixels() const { return g.ReadBitmap(bitmap); }

    Gdi& g;
    int w, h;
    Hdc dc;
    Hgdiobj bitmap, old;
    std::vector<ColorRef> model;
};

struct RasterRuns : ::testing::Test {
    std::unique_ptr<Gdi> g = MakeRasterGdi();
    std::mt19937 rng{kSeed};
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
};

TEST_F(RasterRuns, FillRectCoversExactlyItsRectangleAtEveryWidth) {
    for (int round = 0; round < 300; ++round) {
        Canvas c(*g, Pick(1, 700), Pick(1, 5), static_cast<unsigned>(round));
        for (int k = 0; k < 4; ++k) {
            // Whole rows often: the block that is filled as one run.
            const bool whole = Pick(0, 2) == 0;
            const Rect r =
                whole ? Rect{Pick(-3, 0), Pick(-2, c.h), c.w + Pick(0, 3), Pick(-2, c.h + 2)}
                      : Rect{Pick(-20, c.w + 20), Pick(-2, c.h + 2), Pick(-20, c.w + 20),
                             Pick(-2, c.h + 2)};
            const ColorRef color = static_cast<ColorRef>(rng()) & 0x00FFFFFFu;
            Hgdiobj brush = g->CreateSolidBrush(color);
            g->FillRect(c.dc, &r, brush);
            g->DeleteObject(brush);
            // An inverted side counts back from its first coordinate, which stays covered.
            const auto ordered = [](int a, int b) {
                return b < a ? std::pair{b + 1, a + 1} : std::pair{a, b};
            };
            const auto [l, rr] = ordered(r.left, r.right);
            const auto [t, b] = ordered(r.top, r.bottom);
            for (int y = t; y < b; ++y)
                for (int x = l; x < rr; ++x)
                    if (c.Inside(x, y)) c.At(x, y) = color;
            ASSERT_EQ(c.Pixels(), c.model)
                << "seed " << kSeed << " round " << round << " fill " << k << ": " << c.w << "x"
                << c.h << " (" << r.left << "," << r.top << "," << r.right << "," << r.bottom
                << ")";
        }
    }
}

TEST_F(RasterRuns, EveryRasterOperationFollowsItsTruthTable) {
    // Pattern F0, source CC, destination AA in every byte: bit k of each byte sees the
    // combination k, so the result is the table byte itself, three times.
    Canvas src(*g, 1, 1, 0u), dst(*g, 1, 1, 0u);
    g->SetPixel(src.dc, 0, 0, 0xCCCCCC);
    const Hgdiobj old = g->SelectObject(dst.dc, g->CreateSolidBrush(0xF0F0F0));
    for (unsigned table = 0; table < 256; ++table) {
        g->SetPixel(dst.dc, 0, 0, 0xAAAAAA);
        ASSERT_TRUE(g->BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 0, 0, table << 16));
        EXPECT_EQ(g->GetPixel(dst.dc, 0, 0), table * 0x010101u) << std::hex << table;
    }
    g->DeleteObject(g->SelectObject(dst.dc, old));
}

TEST_F(RasterRuns, CopiesOfTrueColourPixelsMatchThePixelByPixelPath) {
    // 24- and 32-bit pixels copied with SRCCOPY take the fast path (maps worked out once
    // per geometry and kept, fills of column runs, copies of repeated rows); the same
    // picture as an 8-bit DIB takes the general one, pixel by pixel. Random placements,
    // stretches, flips and clips, each geometry drawn again after another so that a kept
    // map is used a second time, must give the same pixels.
    struct Call {
        int x, y, w, h, sx, sy, sw, sh;
    };
    for (int round = 0; round < 1500; ++round) {
        const int pw = Pick(1, 9), ph = Pick(1, 9), cw = Pick(1, 64), ch = Pick(1, 24);
        const std::string order = Pick(0, 1) == 1 ? "topdown" : "bottomup";
        const std::string bpp = Pick(0, 1) == 1 ? "32" : "24";
        scenes::Calls dibs(*g, nullptr);  // the two DIBs, named by their bits a pixel
        for (const std::string& b : {bpp, std::string("8")})
            scenes::RunLine(
                dibs, {b, "=", "dib", b, std::to_string(pw), std::to_string(ph), order, "pattern"});
        // Narrow sources often: the gradient band (4 columns) and the long column runs
        // of a strong enlargement.
        const auto random_call = [&] {
            const int kind = Pick(0, 2);
            const int sw = kind == 0   ? (Pick(0, 1) == 1 ? 4 : -4)
                           : kind == 1 ? Pick(-3, 3)
                                       : Pick(-12, 12);
            return Call{Pick(-10, cw + 2),
                        Pick(-6, ch + 2),
                        Pick(-80, 80),
                        Pick(-30, 30),
                        Pick(-3, pw + 2),
                        Pick(-3, ph + 2),
                        sw,
                        Pick(-12, 12)};
        };
        const auto stretch = [&](const std::string& dib, Hdc dc, const Call& c) {
            const std::vector<std::uint8_t>& block = dibs.dibs.at(dib);
            const auto* info = reinterpret_cast<const BitmapInfoHeader*>(block.data());
            return g->StretchDIBits(dc, c.x, c.y, c.w, c.h, c.sx, c.sy, c.sw, c.sh,
                                    block.data() + block.size() - info->biSizeImage, info,
                                    DIB_RGB_COLORS, SRCCOPY);
        };
        const Call first = random_call(), second = random_call();
        Canvas fast(*g, cw, ch, 0u), slow(*g, cw, ch, 0u);
        for (const Call& c : {first, second, first}) {
            const int fast_result = stretch(bpp, fast.dc, c);
            ASSERT_EQ(fast_result, stretch("8", slow.dc, c))
                << "seed " << kSeed << " round " << round;
            ASSERT_EQ(fast.Pixels(), slow.Pixels())
                << "seed " << kSeed << " round " << round << ": " << pw << "x" << ph << " on " << cw
                << "x" << ch << " at (" << c.x << "," << c.y << "," << c.w << "," << c.h
                << ") from (" << c.sx << "," << c.sy << "," << c.sw << "," << c.sh << ")";
        }
    }
}

TEST_F(RasterRuns, BitBltOfPlainSourceOperationsMatchesACopyThroughABuffer) {
    const std::uint32_t rops[] = {SRCCOPY, SRCAND, SRCPAINT, SRCINVERT, NOTSRCCOPY};
    for (int round = 0; round < 400; ++round) {
        const int w = Pick(1, 600), h = Pick(1, 5);
        // The source is another bitmap of the same width (so whole rows are one block on
        // both sides), one of another width, or the destination itself.
        const int kind = Pick(0, 2);
        Canvas dst(*g, w, h, 1u + static_cast<unsigned>(round));
        Canvas other(*g, kind == 0 ? w : Pick(1, 600), Pick(1, 6),
                     7u * static_cast<unsigned>(round));
        Canvas& src = kind == 2 ? dst : other;
        const std::uint32_t rop = rops[Pick(0, 4)];
        const bool whole = Pick(0, 1) == 0;
        const int bw = whole ? (Pick(0, 1) == 0 ? w : -w) : Pick(-w - 3, w + 3);
        const int bh = Pick(-h - 2, h + 2);
        const int x = whole ? (bw > 0 ? 0 : w - 1) : Pick(-5, w + 2), y = Pick(-3, h + 2);
        const int sx = whole ? (bw > 0 ? 0 : w - 1) : Pick(-5, src.w + 2), sy = Pick(-3, src.h + 2);
        g->BitBlt(dst.dc, x, y, bw, bh, src.dc, sx, sy, rop);

        // The model: the whole source read first, then each destination pixel whose
        // source lies in the source bitmap combined with it.
        const std::vector<ColorRef> before = src.model;
        const long long left = bw < 0 ? x + bw + 1 : x, top = bh < 0 ? y + bh + 1 : y;
        for (long long py = top; py < top + (bh < 0 ? -bh : bh); ++py)
            for (long long px = left; px < left + (bw < 0 ? -bw : bw); ++px) {
                const long long qx = px + (sx - x), qy = py + (sy - y);
                if (!dst.Inside(px, py) || !src.Inside(qx, qy)) continue;
                const ColorRef s = before[static_cast<std::size_t>(qy * src.w + qx)];
                ColorRef& d = dst.At(static_cast<int>(px), static_cast<int>(py));
                switch (rop) {
                    case SRCCOPY: d = s; break;
                    case SRCAND: d = s & d; break;
                    case SRCPAINT: d = s | d; break;
                    case SRCINVERT: d = s ^ d; break;
                    default: d = ~s & 0x00FFFFFFu; break;
                }
            }
        ASSERT_EQ(dst.Pixels(), dst.model)
            << "seed " << kSeed << " round " << round << ": rop " << std::hex << rop << std::dec
            << " " << w << "x" << h << " block (" << x << "," << y << "," << bw << "," << bh
            << ") from (" << sx << "," << sy << ") of " << (kind == 2 ? "itself" : "another") << " "
            << src.w << "x" << src.h;
    }
}

TEST_F(RasterRuns, AClippedLineCoversWhatTheWholeLineCoversInsideTheBitmap) {
    // Clipping moves the ends onto the bitmap along the line's own walk: every line
    // through a 20 x 20 bitmap must show there exactly what it shows drawn whole on a
    // bitmap that holds all of it.
    const std::string line =
        "pen = CreatePen PS_SOLID 1 0x0000FF; SelectObject dc pen; MoveToEx dc X0 Y0; LineTo dc X1 "
        "Y1";
    const auto draw = [&](int w, int h, int d, int x0, int y0, int x1, int y1) {
        return scenes::Draw(*g, w, h, line,
                            {{"X0", std::to_string(x0 + d)},
                             {"Y0", std::to_string(y0 + d)},
                             {"X1", std::to_string(x1 + d)},
                             {"Y1", std::to_string(y1 + d)}})
            .pixels;
    };
    for (int round = 0; round < 2000; ++round) {
        const int x0 = Pick(-40, 60), y0 = Pick(-40, 60), x1 = Pick(-40, 60), y1 = Pick(-40, 60);
        const auto clipped = draw(20, 20, 0, x0, y0, x1, y1);
        const auto whole = draw(120, 120, 50, x0, y0, x1, y1);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(clipped[static_cast<std::size_t>(y * 20 + x)] == 0x0000FF,
                          whole[static_cast<std::size_t>((y + 50) * 120 + x + 50)] == 0x0000FF)
                    << "seed " << kSeed << " round " << round << ": (" << x0 << "," << y0
                    << ") to (" << x1 << "," << y1 << ") at " << x << "," << y;
    }
}

TEST_F(RasterRuns, RoundRectsAndMonochromeBlitsAfterOthersLookAsWhenDrawnFirst) {
    // RoundRect's corner walks and the blits between colour and monochrome bitmaps keep
    // their working memory from call to call. A random run of them, of every size, must
    // give each time what the same call gives as the first of its thread.
    const std::string kinds[2] = {
        "pen = CreatePen PS_SOLID 1 0x0000FF; SelectObject dc pen; "
        "brush = CreateSolidBrush 0x00FF00; SelectObject dc brush; RoundRect dc -1 0 W1 H A B",
        // A colour picture to monochrome with A grey as the background, and back.
        "picture dc W H pattern; mono_dc = CreateCompatibleDC null; "
        "mono = CreateBitmap W H 1 1 null; SelectObject mono_dc mono; SetBkColor dc GREY; "
        "BitBlt mono_dc 0 0 W H dc 0 0 SRCCOPY; BitBlt dc 1 1 W-1 H-1 mono_dc 0 0 SRCINVERT"};
    const auto draw = [&](int kind, int w, int h, int a, int b) {
        return scenes::Draw(*MakeRasterGdi(), w, h, kinds[kind],
                            {{"W", std::to_string(w)},
                             {"H", std::to_string(h)},
                             {"W1", std::to_string(w + 1)},
                             {"W-1", std::to_string(w - 1)},
                             {"H-1", std::to_string(h - 1)},
                             {"A", std::to_string(a)},
                             {"B", std::to_string(b)},
                             {"GREY", std::to_string(a * 0x010101)}})
            .pixels;
    };
    for (int k = 0; k < 120; ++k) {
        const int kind = Pick(0, 1), w = Pick(3, 90), h = Pick(3, 40);
        // Narrow corners often: their walk can end before the last row.
        const int a = kind == 1 ? Pick(0, 255) : Pick(0, 1) == 0 ? Pick(3, 8) : Pick(3, w + 4);
        const int b = Pick(3, h + 4);
        std::vector<ColorRef> first;
        std::thread([&] { first = draw(kind, w, h, a, b); }).join();
        ASSERT_EQ(draw(kind, w, h, a, b), first)
            << "seed " << kSeed << " call " << k << ": kind " << kind << " " << w << "x" << h << " "
            << a << "," << b;
    }
}

TEST_F(RasterRuns, AWholeFillLeftForLaterLooksLikeOneMadeAtOnce) {
    // The operations are the rows of tests/data/raster/deferred_fill.txt; the first is the
    // setup of both rasters.
    const auto ops = testing::ReadTable("raster/deferred_fill.txt");
    ASSERT_EQ(ops[0][0], "setup");
    for (int round = 0; round < 150; ++round) {
        const int w = Pick(2, 40), h = Pick(2, 12), ow = Pick(2, 40), oh = Pick(2, 12);
        std::unique_ptr<Gdi> gdis[2] = {MakeRasterGdi(), MakeRasterGdi()};
        std::unique_ptr<scenes::Calls> sides[2];
        // The calls of `text` with the placeholders put in, run on one side; the last answer.
        const auto run = [&](int k, const std::string& text, scenes::Values v) {
            v.insert({{"W", std::to_string(w)},
                      {"H", std::to_string(h)},
                      {"OW", std::to_string(ow)},
                      {"OH", std::to_string(oh)}});
            return scenes::RunCalls(*sides[k], text, v);
        };
        for (int k = 0; k < 2; ++k) {
            sides[k] =
                std::make_unique<scenes::Calls>(*gdis[k], gdis[k]->CreateCompatibleDC(nullptr));
            sides[k]->dcs.push_back(sides[k]->dc);
            run(k, ops[0][1], {});
        }
        for (int step = 0; step < 30; ++step) {
            const testing::Row& op = ops[static_cast<std::size_t>(Pick(1, int(ops.size()) - 1))];
            const bool on_other = Pick(0, 2) == 0;
            const int a = Pick(-3, 42), b = Pick(-3, 14), c = Pick(-3, 42), d = Pick(-3, 14);
            const scenes::Values v = {{"T", on_other ? "other" : "dc"},
                                      {"W", std::to_string(on_other ? ow : w)},
                                      {"H", std::to_string(on_other ? oh : h)},
                                      {"H2", std::to_string((on_other ? oh : h) / 2)},
                                      {"a", std::to_string(a)},
                                      {"b", std::to_string(b)},
                                      {"c", std::to_string(c)},
                                      {"d", std::to_string(d)},
                                      {"a8", std::to_string(a / 8)},
                                      {"b4", std::to_string(b / 4)},
                                      {"c20", std::to_string(c + 20)},
                                      {"d12", std::to_string(d + 12)},
                                      {"C", std::to_string(rng() & 0x00FFFFFFu)},
                                      {"R", on_other ? "SRCCOPY" : "SRCINVERT"},
                                      {"Q", on_other ? "other" : "alpha"}};
            const auto first = run(0, op[1], v), second = run(1, op[op.size() > 2 ? 2 : 1], v);
            ASSERT_EQ(first, second)
                << "seed " << kSeed << " round " << round << " step " << step << " " << op.where;
        }
        // Read only now: a read writes what is pending.
        for (const char* dc : {"dc", "other"}) {
            std::vector<ColorRef> pixels[2];
            for (int k = 0; k < 2; ++k) {
                Gdi& g = *gdis[k];
                const Hdc at = sides[k]->Dc(dc);
                const Hgdiobj bitmap = g.CreateSurfaceBitmap(1, 1),
                              current = g.SelectObject(at, bitmap);
                pixels[k] = g.ReadBitmap(current);
                g.DeleteObject(g.SelectObject(at, current));
            }
            EXPECT_EQ(pixels[0], pixels[1]) << "seed " << kSeed << " round " << round << " " << dc;
        }
    }
}

}  // namespace
}  // namespace sheenwork::gdi
