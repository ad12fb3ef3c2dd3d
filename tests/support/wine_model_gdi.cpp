#include "support/wine_model_gdi.h"

#include <algorithm>
#include <map>

namespace sheenwork::testing {

namespace {

using namespace gdi;

class WineModelGdi final : public Gdi {
public:
    explicit WineModelGdi(Gdi& raster) : r_(raster) {}

    Hdc CreateCompatibleDC(Hdc like) override { return r_.CreateCompatibleDC(like); }
    bool DeleteDC(Hdc dc) override {
        pen_of_.erase(dc);
        return r_.DeleteDC(dc);
    }
    Hgdiobj CreateCompatibleBitmap(Hdc like, int w, int h) override {
        return r_.CreateCompatibleBitmap(like, w, h);
    }
    Hgdiobj CreateBitmap(int w, int h, unsigned planes, unsigned bpp, const void* bits) override {
        return r_.CreateBitmap(w, h, planes, bpp, bits);
    }
    Hgdiobj CreateSurfaceBitmap(int w, int h) override { return r_.CreateSurfaceBitmap(w, h); }
    Hgdiobj CreateAlphaBitmap(int w, int h, const std::uint32_t* argb) override {
        return r_.CreateAlphaBitmap(w, h, argb);
    }
    bool AlphaBlend(Hdc dest, int x, int y, int w, int h, Hdc src, int xs, int ys, int ws, int hs,
                    BlendFunction blend) override {
        return r_.AlphaBlend(dest, x, y, w, h, src, xs, ys, ws, hs, blend);
    }
    Hgdiobj CreateFontIndirect(const LogFont& font) override {
        return r_.CreateFontIndirect(font);
    }
    std::string GetTextFace(Hdc dc) override { return r_.GetTextFace(dc); }
    bool GetTextMetrics(Hdc dc, TextMetric* tm) override { return r_.GetTextMetrics(dc, tm); }
    bool GetTextExtentPoint32(Hdc dc, const char* text, int count, Size* size) override {
        return r_.GetTextExtentPoint32(dc, text, count, size);
    }
    int DrawTextA(Hdc dc, const char* text, int count, Rect* rect, unsigned format) override {
        return r_.DrawTextA(dc, text, count, rect, format);
    }
    std::vector<ColorRef> ReadBitmap(Hgdiobj bitmap) override { return r_.ReadBitmap(bitmap); }
    Hgdiobj CreatePen(int style, int width, ColorRef color) override {
        Hgdiobj pen = r_.CreatePen(style, width, color);
        if (pen != nullptr) pens_[pen] = style == PS_NULL ? kNoPen : color;
        return pen;
    }
    Hgdiobj CreateSolidBrush(ColorRef color) override {
        Hgdiobj brush = r_.CreateSolidBrush(color);
        if (brush != nullptr) brushes_.insert_or_assign(brush, false);
        return brush;
    }
    Hgdiobj GetStockObject(int which) override {
        Hgdiobj obj = r_.GetStockObject(which);
        if (which == BLACK_PEN) pens_[obj] = 0x000000;
        if (which == WHITE_PEN) pens_[obj] = 0xFFFFFF;
        if (which == NULL_PEN) pens_[obj] = kNoPen;
        if (which == NULL_BRUSH) brushes_[obj] = true;
        if (which == WHITE_BRUSH || which == BLACK_BRUSH) brushes_[obj] = false;
        return obj;
    }
    Hgdiobj SelectObject(Hdc dc, Hgdiobj obj) override {
        Hgdiobj old = r_.SelectObject(dc, obj);
        if (old != nullptr) {
            if (auto it = pens_.find(obj); it != pens_.end()) pen_of_[dc] = it->second;
            if (auto it = brushes_.find(obj); it != brushes_.end()) hollow_of_[dc] = it->second;
        }
        return old;
    }
    bool DeleteObject(Hgdiobj obj) override {
        const bool ok = r_.DeleteObject(obj);
        if (ok) {
            pens_.erase(obj);
            brushes_.erase(obj);
        }
        return ok;
    }

    ColorRef SetBkColor(Hdc dc, ColorRef c) override { return r_.SetBkColor(dc, c); }
    ColorRef GetBkColor(Hdc dc) override { return r_.GetBkColor(dc); }
    ColorRef SetTextColor(Hdc dc, ColorRef c) override { return r_.SetTextColor(dc, c); }
    ColorRef GetTextColor(Hdc dc) override { return r_.GetTextColor(dc); }
    int SetBkMode(Hdc dc, int mode) override { return r_.SetBkMode(dc, mode); }
    int GetBkMode(Hdc dc) override { return r_.GetBkMode(dc); }
    int GetDeviceCaps(Hdc dc, int index) override { return r_.GetDeviceCaps(dc, index); }

    bool MoveToEx(Hdc dc, int x, int y, Point* previous) override {
        return r_.MoveToEx(dc, x, y, previous);
    }
    bool LineTo(Hdc dc, int x, int y) override { return r_.LineTo(dc, x, y); }
    ColorRef SetPixel(Hdc dc, int x, int y, ColorRef c) override {
        return r_.SetPixel(dc, x, y, c);
    }
    ColorRef GetPixel(Hdc dc, int x, int y) override { return r_.GetPixel(dc, x, y); }
    bool Rectangle(Hdc dc, int l, int t, int r, int b) override {
        return r_.Rectangle(dc, l, t, r, b);
    }
    int FillRect(Hdc dc, const Rect* rect, Hgdiobj brush) override {
        return r_.FillRect(dc, rect, brush);
    }
    bool DrawEdge(Hdc dc, Rect* rect, unsigned edge, unsigned flags) override {
        return r_.DrawEdge(dc, rect, edge, flags);
    }
    bool DrawFocusRect(Hdc dc, const Rect* rect) override { return r_.DrawFocusRect(dc, rect); }
    bool BitBlt(Hdc dest, int x, int y, int w, int h, Hdc src, int xs, int ys,
                std::uint32_t rop) override {
        return r_.BitBlt(dest, x, y, w, h, src, xs, ys, rop);
    }

    bool RoundRect(Hdc dc, int l, int t, int r, int b, int ew, int eh) override {
        const auto pen = pen_of_.find(dc);
        const auto hollow = hollow_of_.find(dc);
        const bool modelled = ew == 5 && eh == 5 && pen != pen_of_.end() && pen->second != kNoPen &&
                              hollow != hollow_of_.end() && hollow->second && r - l >= 5 &&
                              b - t >= 5;
        if (!modelled) return r_.RoundRect(dc, l, t, r, b, ew, eh);
        const int x1 = r - 1, y1 = b - 1;
        const int diagonal[4][2] = {
            {l + 1, t + 1}, {x1 - 1, t + 1}, {l + 1, y1 - 1}, {x1 - 1, y1 - 1}};
        ColorRef kept[4];
        for (int i = 0; i < 4; ++i) kept[i] = r_.GetPixel(dc, diagonal[i][0], diagonal[i][1]);
        const bool ok = r_.RoundRect(dc, l, t, r, b, ew, eh);
        for (int i = 0; i < 4; ++i)
            if (kept[i] != kClrInvalid) r_.SetPixel(dc, diagonal[i][0], diagonal[i][1], kept[i]);
        const int beside[8][2] = {{l + 1, t},  {l, t + 1},  {x1 - 1, t},  {x1, t + 1},
                                  {l + 1, y1}, {l, y1 - 1}, {x1 - 1, y1}, {x1, y1 - 1}};
        for (auto& p : beside) r_.SetPixel(dc, p[0], p[1], pen->second);
        return ok;
    }

    int StretchDIBits(Hdc dc, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs,
                      const void* bits, const BitmapInfoHeader* info, unsigned usage,
                      std::uint32_t rop) override {
        const bool modelled = ws == 4 && xs == 0 && hd == hs && wd > 0 && wd != 4 &&
                              rop == SRCCOPY && info != nullptr && info->biWidth == 4;
        if (!modelled)
            return r_.StretchDIBits(dc, xd, yd, wd, hd, xs, ys, ws, hs, bits, info, usage, rop);
        // One destination column at a time, each a one-to-one copy of its source column
        // (ANDed into the first when several land on one column).
        std::vector<bool> drawn(static_cast<std::size_t>(wd), false);
        auto copy = [&](int column, int x) {
            const std::uint32_t op = drawn[static_cast<std::size_t>(x)] ? SRCAND : SRCCOPY;
            drawn[static_cast<std::size_t>(x)] = true;
            r_.StretchDIBits(dc, xd + x, yd, 1, hd, column, ys, 1, hs, bits, info, usage, op);
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
    Gdi& r_;
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
