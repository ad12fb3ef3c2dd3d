#include "support/wine_model_gdi.h"

#include "support/forwarding_gdi.h"

#include <algorithm>
#include <vector>

namespace sheenwork::testing {

namespace {

using namespace gdi;

// Our raster with Wine's two rules put over it; every other call goes straight through.
class WineModelGdi final : public ForwardingGdi {
public:
    explicit WineModelGdi(Gdi& raster) : ForwardingGdi(raster) {}

    bool RoundRect(Hdc dc, int l, int t, int r, int b, int ew, int eh) override {
        const bool sized = ew == 5 && eh == 5 && r - l >= 5 && b - t >= 5;
        const ColorRef pen = sized && Hollow(dc) ? PenColor(dc) : kNoPen;
        if (pen == kNoPen) return g_.RoundRect(dc, l, t, r, b, ew, eh);
        const int x1 = r - 1, y1 = b - 1;
        const int diagonal[4][2] = {
            {l + 1, t + 1}, {x1 - 1, t + 1}, {l + 1, y1 - 1}, {x1 - 1, y1 - 1}};
        ColorRef kept[4];
        for (int i = 0; i < 4; ++i) kept[i] = g_.GetPixel(dc, diagonal[i][0], diagonal[i][1]);
        const bool ok = g_.RoundRect(dc, l, t, r, b, ew, eh);
        for (int i = 0; i < 4; ++i)
            if (kept[i] != kClrInvalid) g_.SetPixel(dc, diagonal[i][0], diagonal[i][1], kept[i]);
        const int beside[8][2] = {{l + 1, t},  {l, t + 1},  {x1 - 1, t},  {x1, t + 1},
                                  {l + 1, y1}, {l, y1 - 1}, {x1 - 1, y1}, {x1, y1 - 1}};
        for (auto& p : beside) g_.SetPixel(dc, p[0], p[1], pen);
        return ok;
    }

    int StretchDIBits(Hdc dc, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs,
                      const void* bits, const BitmapInfoHeader* info, unsigned usage,
                      std::uint32_t rop) override {
        const bool modelled = ws == 4 && xs == 0 && hd == hs && wd > 0 && wd != 4 &&
                              rop == SRCCOPY && info != nullptr && info->biWidth == 4;
        if (!modelled)
            return g_.StretchDIBits(dc, xd, yd, wd, hd, xs, ys, ws, hs, bits, info, usage, rop);
        // One destination column at a time, each a one-to-one copy of its source column
        // (ANDed into the first when several land on one column).
        std::vector<bool> drawn(static_cast<std::size_t>(wd), false);
        auto copy = [&](int column, int x) {
            const std::uint32_t op = drawn[static_cast<std::size_t>(x)] ? SRCAND : SRCCOPY;
            drawn[static_cast<std::size_t>(x)] = true;
            g_.StretchDIBits(dc, xd + x, yd, 1, hd, column, ys, 1, hs, bits, info, usage, op);
        };
        if (wd > 4) {
            for (int x = 0; x < wd; ++x) copy((4 * x + 1) / wd, x);
        } else {
            // A column sent past the last one lands on the last one.
            for (int column = 0; column < 4; ++column)
                copy(column, std::min((wd * column + 1) / 4, wd - 1));
        }
        return hd;
    }

private:
    static constexpr ColorRef kNoPen = 0xFFFFFFFFu;

    // Whether the brush selected into `dc` is the hollow stock brush, seen by putting that
    // brush in its place and the old one back.
    bool Hollow(Hdc dc) {
        const Hgdiobj hollow = g_.GetStockObject(NULL_BRUSH);
        const Hgdiobj brush = g_.SelectObject(dc, hollow);
        g_.SelectObject(dc, brush);
        return brush == hollow;
    }
    // The colour the pen selected into `dc` draws, or kNoPen when it draws nothing: the pen
    // is lent to a one-pixel surface and draws a dot there on black and on white.
    ColorRef PenColor(Hdc dc) {
        const Hgdiobj pen = g_.SelectObject(dc, g_.GetStockObject(NULL_PEN));
        const Hdc scratch = g_.CreateCompatibleDC(dc);
        const Hgdiobj bitmap = g_.SelectObject(scratch, g_.CreateSurfaceBitmap(1, 1));
        const Hgdiobj scratch_pen = g_.SelectObject(scratch, pen);
        ColorRef drawn[2];
        for (const ColorRef under : {0x000000u, 0xFFFFFFu}) {
            g_.SetPixel(scratch, 0, 0, under);
            g_.MoveToEx(scratch, 0, 0, nullptr);
            g_.LineTo(scratch, 1, 0);
            drawn[under == 0 ? 0 : 1] = g_.GetPixel(scratch, 0, 0);
        }
        g_.SelectObject(scratch, scratch_pen);
        g_.DeleteObject(g_.SelectObject(scratch, bitmap));
        g_.DeleteDC(scratch);
        g_.SelectObject(dc, pen);
        return drawn[0] != drawn[1] ? kNoPen : drawn[0];
    }
};

}  // namespace

std::unique_ptr<gdi::Gdi> MakeWineModelGdi(gdi::Gdi& raster) {
    return std::make_unique<WineModelGdi>(raster);
}

}  // namespace sheenwork::testing
