// The raster's fast paths for BitBlt, StretchDIBits and FillRect against its general
// per-pixel path. Two rasters, one with the fast paths turned off, get the same bitmaps
// and the same seeded random calls (sizes, extents of either sign, blocks hanging over
// either bitmap, overlapping blocks in one bitmap, raster operations, monochrome sides
// that must keep the general rules); every bitmap must come out identical and every call
// must answer the same.
#include "platform/gdi/raster.h"

#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace sheenwork::gdi::raster {
namespace {

constexpr std::uint32_t kMergeCopy = 0x00C000CA, kPatCopy = 0x00F00021, kPatInvert = 0x005A0049;
constexpr std::uint32_t kPlainRops[] = {SRCCOPY, SRCAND, SRCPAINT, NOTSRCCOPY, SRCINVERT};
constexpr std::uint32_t kOtherRops[] = {SRCERASE,   NOTSRCERASE, MERGEPAINT, DSTINVERT,
                                        kMergeCopy, kPatCopy,    kPatInvert, WHITENESS};

// A bitmap selected into a DC of one raster.
struct Surface {
    Hdc dc = nullptr;
    Hgdiobj bitmap = nullptr, old = nullptr, brush = nullptr, old_brush = nullptr;
};

// The settings of one surface, applied alike on both rasters.
struct SurfaceSetup {
    int width = 1, height = 1;
    bool mono = false;
    std::vector<ColorRef> pixels;
    ColorRef bk = 0xFFFFFF, text = 0;
    ColorRef brush = 0;
    bool null_brush = false;
    bool new_transparent = false;
};

// One raster with its surfaces.
struct World {
    explicit World(bool fast) { gdi.SetFastPaths(fast); }
    ~World() { Clear(); }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    void Add(const SurfaceSetup& setup) {
        Surface s;
        s.dc = gdi.CreateCompatibleDC(nullptr);
        s.bitmap = setup.mono ? gdi.CreateBitmap(setup.width, setup.height, 1, 1, nullptr)
                              : gdi.CreateSurfaceBitmap(setup.width, setup.height);
        s.old = gdi.SelectObject(s.dc, s.bitmap);
        for (int y = 0; y < setup.height; ++y)
            for (int x = 0; x < setup.width; ++x)
                gdi.SetPixel(s.dc, x, y,
                             setup.pixels[static_cast<std::size_t>(y * setup.width + x)]);
        gdi.SetBkColor(s.dc, setup.bk);
        gdi.SetTextColor(s.dc, setup.text);
        s.brush =
            setup.null_brush ? gdi.GetStockObject(NULL_BRUSH) : gdi.CreateSolidBrush(setup.brush);
        s.old_brush = gdi.SelectObject(s.dc, s.brush);
        if (setup.new_transparent) {
            gdi.SetCaps1(C1_TRANSPARENT);
            gdi.SetBkMode(s.dc, NEWTRANSPARENT);
        }
        surfaces.push_back(s);
    }
    void Clear() {
        for (Surface& s : surfaces) {
            gdi.SelectObject(s.dc, s.old_brush);
            gdi.DeleteObject(s.brush);
            gdi.SelectObject(s.dc, s.old);
            gdi.DeleteObject(s.bitmap);
            gdi.DeleteDC(s.dc);
        }
        surfaces.clear();
        gdi.SetCaps1(0);
    }
    std::vector<ColorRef> Pixels(std::size_t i) { return gdi.ReadBitmap(surfaces[i].bitmap); }

    RasterGdi gdi;
    std::vector<Surface> surfaces;
};

// The fast and the general raster side by side.
struct RasterFastPath : ::testing::Test {
    World fast{true}, general{false};
    std::mt19937 rng{20261207};

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool OneIn(int n) { return Uniform(0, n - 1) == 0; }
    template <typename T, std::size_t N>
    T Pick(const T (&items)[N]) {
        return items[static_cast<std::size_t>(Uniform(0, static_cast<int>(N) - 1))];
    }
    // Mostly from a few colours, so that equal pixels (NEWTRANSPARENT's background, AND
    // results) come up; otherwise any 24-bit colour.
    ColorRef Colour() {
        static constexpr ColorRef kFew[] = {0x000000, 0xFFFFFF, 0x808080, 0x0000FF,
                                            0x00FF00, 0xFF0000, 0xC0C0C0, 0x123456};
        return OneIn(2) ? Pick(kFew) : static_cast<ColorRef>(Uniform(0, 0xFFFFFF));
    }
    // Mostly positive, sometimes negative, now and then zero.
    int Extent(int most) {
        if (OneIn(40)) return 0;
        return OneIn(4) ? -Uniform(1, most) : Uniform(1, most);
    }
    // An origin for `extent` on an axis of `size` pixels that mostly reaches it, up to 8
    // pixels over either end.
    int Origin(int extent, int size) {
        const int over = std::min(extent < 0 ? -extent : extent, 8);
        return extent < 0 ? Uniform(0, size - 1 + over) : Uniform(-over, size - 1);
    }
    // A colour surface of the given size, every pixel any 24-bit colour.
    SurfaceSetup Noise(int width, int height) {
        SurfaceSetup s = RandomSurface(1, false);
        s.width = width;
        s.height = height;
        s.pixels.resize(static_cast<std::size_t>(width * height));
        for (ColorRef& p : s.pixels) p = static_cast<ColorRef>(Uniform(0, 0xFFFFFF));
        return s;
    }
    SurfaceSetup RandomSurface(int max_size, bool mono) {
        SurfaceSetup s;
        s.width = Uniform(1, max_size);
        s.height = Uniform(1, max_size);
        s.mono = mono;
        s.pixels.resize(static_cast<std::size_t>(s.width * s.height));
        for (ColorRef& p : s.pixels) p = Colour();
        s.bk = Colour();
        s.text = Colour();
        s.brush = Colour();
        s.null_brush = OneIn(6);
        return s;
    }
    void Add(const SurfaceSetup& setup) {
        fast.Add(setup);
        general.Add(setup);
    }
    void Clear() {
        fast.Clear();
        general.Clear();
    }
    // Runs `call` on both rasters and checks the answers and every bitmap; true when the
    // call changed some pixel.
    bool Same(const std::string& what, const std::function<int(World&)>& call) {
        std::vector<std::vector<ColorRef>> before;
        for (std::size_t i = 0; i < general.surfaces.size(); ++i)
            before.push_back(general.Pixels(i));
        EXPECT_EQ(call(fast), call(general)) << what;
        bool changed = false;
        for (std::size_t i = 0; i < general.surfaces.size(); ++i) {
            const std::vector<ColorRef> expected = general.Pixels(i);
            EXPECT_EQ(fast.Pixels(i), expected) << what << " (bitmap " << i << ")";
            changed = changed || expected != before[i];
        }
        return changed;
    }
};

std::string Describe(const char* op, std::initializer_list<long long> values) {
    std::ostringstream out;
    out << op << "(";
    for (long long v : values) out << v << " ";
    out << ")";
    return out.str();
}

TEST_F(RasterFastPath, BitBltMatchesTheGeneralPath) {
    constexpr int kRuns = 2500;
    int changed = 0;
    for (int run = 0; run < kRuns && !HasFailure(); ++run) {
        const bool one_bitmap = OneIn(3);
        // Monochrome on either side now and then: those must keep the general rules.
        SurfaceSetup dst = RandomSurface(24, OneIn(8));
        dst.new_transparent = OneIn(8);
        Add(dst);
        const SurfaceSetup src_setup = RandomSurface(24, OneIn(8));
        if (!one_bitmap) Add(src_setup);
        const std::uint32_t rop = OneIn(5) ? Pick(kOtherRops) : Pick(kPlainRops);
        const SurfaceSetup& src = one_bitmap ? dst : src_setup;
        const int w = Extent(30), h = Extent(30);
        const int x = Origin(w, dst.width), y = Origin(h, dst.height);
        const int sx = Origin(w, src.width), sy = Origin(h, src.height);
        const std::string what =
            Describe("BitBlt", {run, one_bitmap, x, y, w, h, sx, sy, static_cast<long long>(rop)});
        changed += Same(what, [&](World& world) {
            const Hdc from = world.surfaces.back().dc;
            return static_cast<int>(
                world.gdi.BitBlt(world.surfaces[0].dc, x, y, w, h, from, sx, sy, rop));
        });
        Clear();
    }
    // The calls must mostly draw something, or the comparison would prove little.
    EXPECT_GT(changed, kRuns / 3);
}

TEST_F(RasterFastPath, OverlappingBlocksInOneBitmapMatchInEveryDirection) {
    // A 5 x 4 block of a 9 x 8 picture moved by up to 3 pixels each way, every plain
    // operation, so that rows and columns overlap in all directions.
    const SurfaceSetup setup = Noise(9, 8);
    for (const std::uint32_t rop : kPlainRops)
        for (int dx = -3; dx <= 3; ++dx)
            for (int dy = -3; dy <= 3; ++dy) {
                Add(setup);
                const std::string what = Describe("overlap", {dx, dy, static_cast<long long>(rop)});
                Same(what, [&](World& world) {
                    const Hdc dc = world.surfaces[0].dc;
                    return static_cast<int>(
                        world.gdi.BitBlt(dc, 2 + dx, 2 + dy, 5, 4, dc, 2, 2, rop));
                });
                Clear();
            }
}

// A BI_RGB DIB of random bytes, padding and the fourth byte of 32-bit pixels included.
struct RandomDib {
    BitmapInfoHeader info;
    std::vector<std::uint8_t> bits;
};

TEST_F(RasterFastPath, StretchDIBitsMatchesTheGeneralPath) {
    constexpr int kRuns = 3000;
    constexpr std::uint16_t kDepths[] = {24, 32, 24, 32, 16};
    int changed = 0;
    for (int run = 0; run < kRuns && !HasFailure(); ++run) {
        RandomDib dib;
        dib.info.biWidth = Uniform(1, 20);
        const int height = Uniform(1, 20);
        dib.info.biHeight = OneIn(2) ? height : -height;
        dib.info.biBitCount = Pick(kDepths);
        const int stride = (dib.info.biWidth * dib.info.biBitCount + 31) / 32 * 4;
        dib.bits.resize(static_cast<std::size_t>(stride * height));
        for (std::uint8_t& b : dib.bits)
            b = static_cast<std::uint8_t>(OneIn(4) ? 0xFF : Uniform(0, 255));
        dib.info.biSizeImage = static_cast<std::uint32_t>(dib.bits.size());

        const SurfaceSetup dst = RandomSurface(32, OneIn(6));
        Add(dst);
        const std::uint32_t rop =
            OneIn(4) ? (OneIn(2) ? Pick(kPlainRops) : Pick(kOtherRops)) : SRCCOPY;
        int w = Extent(40), h = Extent(40);
        int sw = Extent(24), sh = Extent(24);
        if (OneIn(2)) {  // unstretched, the sizes of one of the two sides
            if (OneIn(2)) {
                sw = w;
                sh = h;
            } else {
                w = sw;
                h = sh;
            }
        }
        if (OneIn(6)) sw = OneIn(2) ? 4 : -4;  // the gradient band's column rule
        const int x = Origin(w, dst.width), y = Origin(h, dst.height);
        const int sx = Origin(sw, dib.info.biWidth), sy = Origin(sh, height);
        const std::string what = Describe(
            "StretchDIBits", {run, x, y, w, h, sx, sy, sw, sh, dib.info.biWidth, dib.info.biHeight,
                              dib.info.biBitCount, static_cast<long long>(rop)});
        changed += Same(what, [&](World& world) {
            return world.gdi.StretchDIBits(world.surfaces[0].dc, x, y, w, h, sx, sy, sw, sh,
                                           dib.bits.data(), &dib.info, DIB_RGB_COLORS, rop);
        });
        Clear();
    }
    EXPECT_GT(changed, kRuns / 3);
}

TEST_F(RasterFastPath, FillRectMatchesTheGeneralPath) {
    constexpr int kRuns = 2000;
    int changed = 0;
    for (int run = 0; run < kRuns && !HasFailure(); ++run) {
        const SurfaceSetup dst = RandomSurface(24, OneIn(4));
        Add(dst);
        const Rect r{Uniform(-6, dst.width + 6), Uniform(-6, dst.height + 6),
                     Uniform(-6, dst.width + 6), Uniform(-6, dst.height + 6)};
        // A brush of the raster, or a system colour index + 1.
        const int kind = Uniform(0, 5);
        const int index = Uniform(1, vb::kSysColorCount);
        const ColorRef colour = Colour();
        const std::string what =
            Describe("FillRect", {run, r.left, r.top, r.right, r.bottom, kind, index, colour});
        changed += Same(what, [&](World& world) {
            Hgdiobj brush = nullptr;
            if (kind == 0) brush = reinterpret_cast<Hgdiobj>(static_cast<std::uintptr_t>(index));
            if (kind == 1) brush = world.gdi.GetStockObject(NULL_BRUSH);
            if (kind >= 2) brush = world.gdi.CreateSolidBrush(colour);
            const int answer = world.gdi.FillRect(world.surfaces[0].dc, &r, brush);
            if (kind >= 2) world.gdi.DeleteObject(brush);
            return answer;
        });
        Clear();
    }
    EXPECT_GT(changed, kRuns / 3);
}

TEST_F(RasterFastPath, LargeBlocksMatchTheGeneralPath) {
    // Rows far longer than the random cases: a 333 x 211 picture copied, stretched both
    // ways from a DIB and filled.
    const SurfaceSetup setup = Noise(333, 211);
    Add(setup);
    Add(setup);
    RandomDib dib;
    dib.info.biWidth = 150;
    dib.info.biHeight = 97;
    dib.info.biBitCount = 32;
    dib.bits.resize(150 * 97 * 4);
    for (std::uint8_t& b : dib.bits) b = static_cast<std::uint8_t>(Uniform(0, 255));
    EXPECT_TRUE(Same("blit", [](World& w) {
        return static_cast<int>(
            w.gdi.BitBlt(w.surfaces[0].dc, -7, 5, 340, 200, w.surfaces[1].dc, 3, -2, SRCINVERT));
    }));
    EXPECT_TRUE(Same("scroll", [](World& w) {
        const Hdc dc = w.surfaces[0].dc;
        return static_cast<int>(w.gdi.BitBlt(dc, 0, 1, 333, 210, dc, 1, 0, SRCCOPY));
    }));
    for (const auto& [dw, dh] : {std::pair{320, 190}, std::pair{61, 40}, std::pair{150, 97}})
        EXPECT_TRUE(Same(Describe("stretch", {dw, dh}), [&, dw = dw, dh = dh](World& w) {
            return w.gdi.StretchDIBits(w.surfaces[1].dc, 5, 3, dw, dh, 0, 0, 150, 97,
                                       dib.bits.data(), &dib.info, DIB_RGB_COLORS, SRCCOPY);
        }));
    EXPECT_TRUE(Same("fill", [](World& w) {
        const Rect r{340, 300, 2, -5};
        Hgdiobj brush = w.gdi.CreateSolidBrush(0x345678);
        const int answer = w.gdi.FillRect(w.surfaces[0].dc, &r, brush);
        w.gdi.DeleteObject(brush);
        return answer;
    }));
}

}  // namespace
}  // namespace sheenwork::gdi::raster
