#include "support/wine_model_gdi.h"

#include "support/forwarding_gdi.h"

#include <algorithm>
#include <map>

namespace sheenwork::testing {

namespace {

using namespace gdi;

// Our raster with Wine's two rules put over it; every other call goes straight through.
class WineModelGdi final : public ForwardingGdi {
public:
    explicit WineModelGdi(Gdi& raster) : ForwardingGdi(raster) {}

    bool DeleteDC(Hdc dc) override {
        pen_of_.erase(dc);
        return g_.DeleteDC(dc);
    }
    Hgdiobj CreatePen(int style, int width, ColorRef color) override {
        Hgdiobj pen = g_.CreatePen(style, width, color);
        if (pen != nullptr) pens_[pen] = style == PS_NULL ? kNoPen : color;
        return pen;
    }
    Hgdiobj CreateSolidBrush(ColorRef color) override {
        Hgdiobj brush = g_.CreateSolidBrush(color);
        if (brush != nullptr) brushes_.insert_or_assign(brush, false);
        return brush;
    }
    Hgdiobj GetStockObject(int which) override {
        Hgdiobj obj = g_.GetStockObject(which);
        if (which == BLACK_PEN) pens_[obj] = 0x000000;
        if (which == WHITE_PEN) pens_[obj] = 0xFFFFFF;
        if (which == NULL_PEN) pens_[obj] = kNoPen;
        if (which == NULL_BRUSH) brushes_[obj] = true;
        if (which == WHITE_BRUSH || which == BLACK_BRUSH) brushes_[obj] = false;
        return obj;
    }
    Hgdiobj SelectObject(Hdc dc, Hgdiobj obj) override {
        Hgdiobj old = g_.SelectObject(dc, obj);
        if (old != nullptr) {
            if (auto it = pens_.find(obj); it != pens_.end()) pen_of_[dc] = it->second;
            if (auto it = brushes_.find(obj); it != brushes_.end()) hollow_of_[dc] = it->second;
        }
        return old;
    }
    bool DeleteObject(Hgdiobj obj) override {
        const bool ok = g_.DeleteObject(obj);
        if (ok) {
            pens_.erase(obj);
            brushes_.erase(obj);
        }
        return ok;
    }

    bool RoundRect(Hdc dc, int l, int t, int r, int b, int ew, int eh) override {
        const auto pen = pen_of_.find(dc);
        const auto hollow = hollow_of_.find(dc);
        const bool modelled = ew == 5 && eh == 5 && pen != pen_of_.end() && pen->second != kNoPen &&
                              hollow != hollow_of_.end() && hollow->second && r - l >= 5 &&
                              b - t >= 5;
        if (!modelled) return g_.RoundRect(dc, l, t, r, b, ew, eh);
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
        for (auto& p : beside) g_.SetPixel(dc, p[0], p[1], pen->second);
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
    std::map<Hgdiobj, ColorRef> pens_;
    std::map<Hgdiobj, bool> brushes_;  // handle -> hollow
    std::map<Hdc, ColorRef> pen_of_;
    std::map<Hdc, bool> hollow_of_;
};

}  // namespace

std::unique_ptr<gdi::Gdi> MakeWineModelGdi(gdi::Gdi& raster) {
    return std::make_unique<WineModelGdi>(raster);
}

}  // namespace sheenwork::testing
