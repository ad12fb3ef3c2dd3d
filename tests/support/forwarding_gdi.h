// A Gdi that hands every call to another one: the base of test decorators that watch
// or change a few calls and leave the rest alone, and the one that watches a paint.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/vb/error.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace sheenwork::testing {

// A method of gdi::Gdi handed on unchanged: its answer, its name, its parameters and the
// names it passes them on by.
#define SHEENWORK_FORWARD(Answer, Name, Parameters, Arguments) \
    Answer Name Parameters override { return g_.Name Arguments; }

class ForwardingGdi : public gdi::Gdi {
public:
    explicit ForwardingGdi(gdi::Gdi& inner) : g_(inner) {}
    gdi::Gdi& Inner() { return g_; }

    using Hdc = gdi::Hdc;
    using Hgdiobj = gdi::Hgdiobj;
    using ColorRef = gdi::ColorRef;

    SHEENWORK_FORWARD(Hdc, CreateCompatibleDC, (Hdc like), (like))
    SHEENWORK_FORWARD(bool, DeleteDC, (Hdc dc), (dc))
    SHEENWORK_FORWARD(Hgdiobj, CreateCompatibleBitmap, (Hdc like, int w, int h), (like, w, h))
    SHEENWORK_FORWARD(Hgdiobj, CreateBitmap,
                      (int w, int h, unsigned planes, unsigned bpp, const void* bits),
                      (w, h, planes, bpp, bits))
    SHEENWORK_FORWARD(Hgdiobj, CreateSurfaceBitmap, (int w, int h), (w, h))
    SHEENWORK_FORWARD(std::vector<ColorRef>, ReadBitmap, (Hgdiobj b), (b))
    SHEENWORK_FORWARD(Hgdiobj, CreatePen, (int style, int width, ColorRef c), (style, width, c))
    SHEENWORK_FORWARD(Hgdiobj, CreateSolidBrush, (ColorRef c), (c))
    SHEENWORK_FORWARD(Hgdiobj, GetStockObject, (int which), (which))
    SHEENWORK_FORWARD(Hgdiobj, SelectObject, (Hdc dc, Hgdiobj o), (dc, o))
    SHEENWORK_FORWARD(bool, DeleteObject, (Hgdiobj o), (o))
    SHEENWORK_FORWARD(ColorRef, SetBkColor, (Hdc dc, ColorRef c), (dc, c))
    SHEENWORK_FORWARD(ColorRef, GetBkColor, (Hdc dc), (dc))
    SHEENWORK_FORWARD(ColorRef, SetTextColor, (Hdc dc, ColorRef c), (dc, c))
    SHEENWORK_FORWARD(ColorRef, GetTextColor, (Hdc dc), (dc))
    SHEENWORK_FORWARD(int, SetBkMode, (Hdc dc, int mode), (dc, mode))
    SHEENWORK_FORWARD(int, GetBkMode, (Hdc dc), (dc))
    SHEENWORK_FORWARD(int, GetDeviceCaps, (Hdc dc, int index), (dc, index))
    SHEENWORK_FORWARD(bool, MoveToEx, (Hdc dc, int x, int y, gdi::Point* p), (dc, x, y, p))
    SHEENWORK_FORWARD(bool, LineTo, (Hdc dc, int x, int y), (dc, x, y))
    SHEENWORK_FORWARD(ColorRef, SetPixel, (Hdc dc, int x, int y, ColorRef c), (dc, x, y, c))
    SHEENWORK_FORWARD(ColorRef, GetPixel, (Hdc dc, int x, int y), (dc, x, y))
    SHEENWORK_FORWARD(bool, Rectangle, (Hdc dc, int l, int t, int r, int b), (dc, l, t, r, b))
    SHEENWORK_FORWARD(int, FillRect, (Hdc dc, const gdi::Rect* r, Hgdiobj brush), (dc, r, brush))
    SHEENWORK_FORWARD(bool, RoundRect, (Hdc dc, int l, int t, int r, int b, int w, int h),
                      (dc, l, t, r, b, w, h))
    SHEENWORK_FORWARD(bool, DrawEdge, (Hdc dc, gdi::Rect* r, unsigned edge, unsigned flags),
                      (dc, r, edge, flags))
    SHEENWORK_FORWARD(bool, DrawFocusRect, (Hdc dc, const gdi::Rect* r), (dc, r))
    SHEENWORK_FORWARD(int, StretchDIBits,
                      (Hdc dc, int x, int y, int w, int h, int xs, int ys, int ws, int hs,
                       const void* bits, const gdi::BitmapInfoHeader* info, unsigned usage,
                       std::uint32_t rop),
                      (dc, x, y, w, h, xs, ys, ws, hs, bits, info, usage, rop))
    SHEENWORK_FORWARD(bool, BitBlt,
                      (Hdc d, int x, int y, int w, int h, Hdc s, int xs, int ys, std::uint32_t rop),
                      (d, x, y, w, h, s, xs, ys, rop))
    SHEENWORK_FORWARD(Hgdiobj, CreateFontIndirect, (const gdi::LogFont& f), (f))
    SHEENWORK_FORWARD(std::string, GetTextFace, (Hdc dc), (dc))
    SHEENWORK_FORWARD(bool, GetTextMetrics, (Hdc dc, gdi::TextMetric* tm), (dc, tm))
    SHEENWORK_FORWARD(bool, GetTextExtentPoint32, (Hdc dc, const char* t, int n, gdi::Size* s),
                      (dc, t, n, s))
    SHEENWORK_FORWARD(int, DrawTextA, (Hdc dc, const char* t, int n, gdi::Rect* r, unsigned format),
                      (dc, t, n, r, format))
    SHEENWORK_FORWARD(Hgdiobj, CreateAlphaBitmap, (int w, int h, const std::uint32_t* argb),
                      (w, h, argb))
    SHEENWORK_FORWARD(bool, AlphaBlend,
                      (Hdc d, int x, int y, int w, int h, Hdc s, int xs, int ys, int ws, int hs,
                       gdi::BlendFunction blend),
                      (d, x, y, w, h, s, xs, ys, ws, hs, blend))

protected:
    gdi::Gdi& g_;
};
#undef SHEENWORK_FORWARD

// Our raster with a watch on the calls that show what a paint did: each noted as a line
// to `note` while it is set, every DrawTextA kept in `texts` (its rectangle as passed in,
// its format and the text colour at the time), the monochrome bitmaps counted, and the
// call named `failing` raising run-time error 5 instead of running.
class RecordingGdi final : public ForwardingGdi {
public:
    using ForwardingGdi::ForwardingGdi;
    struct Text {
        std::string text;
        gdi::Rect rect;
        unsigned format;
        ColorRef color;
    };
    std::function<void(std::string)> note;
    std::vector<Text> texts;
    std::string failing;
    int monochrome = 0;

    int GetDeviceCaps(Hdc dc, int index) override {
        if (failing == "GetDeviceCaps") vb::Raise(5);  // a query no paint log shows
        return g_.GetDeviceCaps(dc, index);
    }
    Hgdiobj CreateBitmap(int w, int h, unsigned planes, unsigned bpp, const void* bits) override {
        monochrome += bpp == 1 ? 1 : 0;
        return g_.CreateBitmap(w, h, planes, bpp, bits);
    }
    int FillRect(Hdc dc, const gdi::Rect* r, Hgdiobj brush) override {
        Watch("FillRect", r);
        return g_.FillRect(dc, r, brush);
    }
    bool RoundRect(Hdc dc, int l, int t, int r, int b, int w, int h) override {
        const gdi::Rect box{l, t, r, b};
        Watch("RoundRect", &box);
        return g_.RoundRect(dc, l, t, r, b, w, h);
    }
    ColorRef SetTextColor(Hdc dc, ColorRef c) override {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06X", c);
        Watch(std::string("SetTextColor ") + hex, nullptr);
        return g_.SetTextColor(dc, c);
    }
    std::vector<ColorRef> ReadBitmap(Hgdiobj b) override {
        Watch("ReadBitmap", nullptr);
        return g_.ReadBitmap(b);
    }
    int StretchDIBits(Hdc dc, int x, int y, int w, int h, int xs, int ys, int ws, int hs,
                      const void* bits, const gdi::BitmapInfoHeader* info, unsigned usage,
                      std::uint32_t rop) override {
        const gdi::Rect place{x, y, w, h};
        Watch("StretchDIBits", &place);
        return g_.StretchDIBits(dc, x, y, w, h, xs, ys, ws, hs, bits, info, usage, rop);
    }
    int DrawTextA(Hdc dc, const char* t, int n, gdi::Rect* r, unsigned format) override {
        texts.push_back({t, *r, format, g_.GetTextColor(dc)});
        Watch("DrawTextA \"" + std::string(t) + "\" " + std::to_string(n), r);
        return g_.DrawTextA(dc, t, n, r, format);
    }

private:
    // Fails the call if it is `failing`, else notes it with the four numbers of `r`.
    void Watch(const std::string& call, const gdi::Rect* r) {
        if (call.substr(0, call.find(' ')) == failing) vb::Raise(5);
        if (!note) return;
        note(r == nullptr ? call
                          : call + " " + std::to_string(r->left) + " " + std::to_string(r->top) +
                                " " + std::to_string(r->right) + " " + std::to_string(r->bottom));
    }
};

}  // namespace sheenwork::testing
