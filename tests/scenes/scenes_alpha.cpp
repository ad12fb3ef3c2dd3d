// AlphaBlend scenes: premultiplied sources with their own alpha over striped
// destinations, constant alpha with and without it, clipping, whole-number and uneven
// stretching and shrinking, and the calls GDI refuses.
#include <cstdint>
#include <string>
#include <vector>

#include "scene_kit.h"

namespace sheenwork::scenes {
namespace {

const std::vector<gdi::ColorRef> kBeneath = {0x0F0F0F, 0xF0F0F0, 0x3366CC, 0xC06030};

// A w x h premultiplied source: alpha steps across the columns (0 to 255), colours
// scaled by it so that no channel exceeds its alpha.
std::vector<std::uint32_t> Source(int w, int h) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned a = w == 1 ? 255u : static_cast<unsigned>(x * 255 / (w - 1));
            const unsigned r = (200u + y * 13u) % 256u * a / 255,
                           g = (40u + x * 29u) % 256u * a / 255, b = (y * 71u) % 256u * a / 255;
            px[static_cast<std::size_t>(y) * w + x] = a << 24 | r << 16 | g << 8 | b;
        }
    return px;
}

// A DC holding an alpha bitmap of Source(w, h), owned by the kit.
gdi::Hdc AlphaDc(Kit& k, int w, int h) {
    gdi::Hdc mem = k.MemoryDc(1, 1);
    const std::vector<std::uint32_t> px = Source(w, h);
    k.Select(mem, k.Own(k.g().CreateAlphaBitmap(w, h, px.data())));
    return mem;
}

gdi::BlendFunction Blend(std::uint8_t constant, std::uint8_t format) {
    gdi::BlendFunction f;
    f.SourceConstantAlpha = constant;
    f.AlphaFormat = format;
    return f;
}

}  // namespace

void AddAlphaScenes(SceneList& list) {
    for (const int constant : {255, 128, 0}) {
        Add(list, "alphablend-per-pixel-k" + std::to_string(constant), 20, 8,
            [constant](gdi::Gdi& g, gdi::Hdc dc) {
                Kit k(g, dc);
                Stripes(k, dc, 20, 8, 3, kBeneath);
                gdi::Hdc src = AlphaDc(k, 16, 6);
                g.AlphaBlend(dc, 2, 1, 16, 6, src, 0, 0, 16, 6,
                             Blend(static_cast<std::uint8_t>(constant), gdi::AC_SRC_ALPHA));
            });
    }
    // Constant alpha alone: the source's alpha bytes play no part.
    Add(list, "alphablend-constant-only", 12, 6, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        Stripes(k, dc, 12, 6, 2, kBeneath);
        gdi::Hdc src = k.MemoryDc(8, 4);
        Picture(g, src, 8, 4);
        g.AlphaBlend(dc, 2, 1, 8, 4, src, 0, 0, 8, 4, Blend(0x60, 0));
    });
    // Cut by every edge of the destination, from a block inside the source.
    Add(list, "alphablend-clipped", 10, 5, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        Stripes(k, dc, 10, 5, 1, kBeneath);
        gdi::Hdc src = AlphaDc(k, 16, 9);
        g.AlphaBlend(dc, -3, -2, 15, 8, src, 1, 1, 15, 8, Blend(255, gdi::AC_SRC_ALPHA));
    });
    // Whole-number enlargements, each axis alone and both.
    Add(list, "alphablend-stretch-whole", 26, 14, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        Stripes(k, dc, 26, 14, 2, kBeneath);
        gdi::Hdc src = AlphaDc(k, 4, 3);
        g.AlphaBlend(dc, 0, 0, 8, 3, src, 0, 0, 4, 3, Blend(255, gdi::AC_SRC_ALPHA));
        g.AlphaBlend(dc, 10, 0, 4, 9, src, 0, 0, 4, 3, Blend(255, gdi::AC_SRC_ALPHA));
        g.AlphaBlend(dc, 14, 2, 12, 12, src, 0, 0, 4, 3, Blend(200, gdi::AC_SRC_ALPHA));
    });
    // Uneven sizes: enlarged, the source pixel under each centre; shrunk, GDI keeps one
    // row and one column of those that fall together (no stretch mode applies).
    Add(list, "alphablend-stretch-uneven", 20, 9, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        Stripes(k, dc, 20, 9, 2, kBeneath);
        gdi::Hdc src = AlphaDc(k, 8, 7);
        g.AlphaBlend(dc, 0, 0, 5, 9, src, 0, 0, 3, 4, Blend(255, gdi::AC_SRC_ALPHA));
        g.AlphaBlend(dc, 6, 1, 6, 3, src, 0, 0, 8, 7, Blend(255, gdi::AC_SRC_ALPHA));
        g.AlphaBlend(dc, 13, 0, 5, 9, src, 1, 1, 7, 5, Blend(200, gdi::AC_SRC_ALPHA));
        g.AlphaBlend(dc, 16, 4, 7, 4, src, 0, 2, 8, 5, Blend(255, gdi::AC_SRC_ALPHA));
    });
    // Refused calls draw nothing and answer FALSE; the answers are shown as pixels
    // (white for TRUE, black for FALSE). The first call blends; the last, with a
    // BlendOp that is not AC_SRC_OVER, blends a second time over it.
    Add(list, "alphablend-refused", 8, 3, [](gdi::Gdi& g, gdi::Hdc dc) {
        Kit k(g, dc);
        gdi::Hdc src = AlphaDc(k, 4, 2);
        const gdi::BlendFunction f = Blend(255, gdi::AC_SRC_ALPHA);
        gdi::BlendFunction bad_op = f;
        bad_op.BlendOp = 1;
        const bool answers[] = {
            g.AlphaBlend(dc, 0, 0, 4, 2, src, 0, 0, 4, 2, f),
            g.AlphaBlend(dc, 0, 0, 4, 2, src, 1, 0, 4, 2, f),   // source past its right
            g.AlphaBlend(dc, 0, 0, 4, 2, src, -1, 0, 4, 2, f),  // source before its left
            g.AlphaBlend(dc, 4, 0, -4, 2, src, 0, 0, 4, 2, f),  // negative destination
            g.AlphaBlend(dc, 0, 0, 4, 2, src, 4, 0, -4, 2, f),  // negative source
            g.AlphaBlend(dc, 0, 0, 4, 2, src, 0, 0, 4, 2, bad_op),
        };
        for (int i = 0; i < 6; ++i) g.SetPixel(dc, i, 2, answers[i] ? 0xFFFFFF : 0x000000);
    });
}

}  // namespace sheenwork::scenes
