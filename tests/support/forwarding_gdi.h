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

class ForwardingGdi : public gdi::Gdi {
public:
    explicit ForwardingGdi(gdi::Gdi& inner) : g_(inner) {}

    using Hdc = gdi::Hdc;
    using Hgdiobj = gdi::Hgdiobj;
    using ColorRef = gdi::ColorRef;

    Hdc CreateCompatibleDC(Hdc like) override { return g_.CreateCompatibleDC(like); }
    bool DeleteDC(Hdc dc) override { return g_.DeleteDC(dc); }
    Hgdiobj CreateCompatibleBitmap(Hdc like, int w, int h) override {
        return g_.CreateCompatibleBitmap(like, w, h);
    }
    Hgdiobj CreateBitmap(int w, int h, unsigned planes, unsigned bpp, const void* bits) override {
        return g_.CreateBitmap(w, h, planes, bpp, bits);
    }
    Hgdiobj CreateSurfaceBitmap(int w, int h) override { return g_.CreateSurfaceBitmap(w, h); }
    std::vector<ColorRef> ReadBitmap(Hgdiobj b) override { return g_.ReadBitmap(b); }
    Hgdiobj CreatePen(int style, int width, ColorRef c) override {
        return g_.CreatePen(style, width, c);
    }
    Hgdiobj CreateSolidBrush(ColorRef c) override { return g_.CreateSolidBrush(c); }
    Hgdiobj GetStockObject(int which) override { return g_.GetStockObject(which); }
    Hgdiobj SelectObject(Hdc dc, Hgdiobj o) override { return g_.SelectObject(dc, o); }
    bool DeleteObject(Hgdiobj o) override { return g_.DeleteObject(o); }
    ColorRef SetBkColor(Hdc dc, ColorRef c) override { return g_.SetBkColor(dc, c); }
    ColorRef GetBkColor(Hdc dc) override { return g_.GetBkColor(dc); }
    ColorRef SetTextColor(Hdc dc, ColorRef c) override { return g_.SetTextColor(dc, c); }
    ColorRef GetTextColor(Hdc dc) override { return g_.GetTextColor(dc); }
    int SetBkMode(Hdc dc, int mode) override { return g_.SetBkMode(dc, mode); }
    int GetBkMode(Hdc dc) override { return g_.GetBkMode(dc); }
    int GetDeviceCaps(Hdc dc, int index) override { return g_.GetDeviceCaps(dc, index); }
    bool MoveToEx(Hdc dc, int x, int y, gdi::Point* p) override { return g_.MoveToEx(dc, x, y, p); }
    bool LineTo(Hdc dc, int x, int y) override { return g_.LineTo(dc, x, y); }
    ColorRef SetPixel(Hdc dc, int x, int y, ColorRef c) override {
        return g_.SetPixel(dc, x, y, c);
    }
    ColorRef GetPixel(Hdc dc, int x, int y) override { return g_.GetPixel(dc, x, y); }
    bool Rectangle(Hdc dc, int l, int t, int r, int b) override {
        return g_.Rectangle(dc, l, t, r, b);
    }
    int FillRect(Hdc dc, const gdi::Rect* r, Hgdiobj brush) override {
        return g_.FillRect(dc, r, brush);
    }
    bool RoundRect(Hdc dc, int l, int t, int r, int b, int w, int h) override {
        return g_.RoundRect(dc, l, t, r, b, w, h);
    }
    bool DrawEdge(Hdc dc, gdi::Rect* r, unsigned edge, unsigned flags) override {
        return g_.DrawEdge(dc, r, edge, flags);
    }
    bool DrawFocusRect(Hdc dc, const gdi::Rect* r) override { return g_.DrawFocusRect(dc, r); }
    int StretchDIBits(Hdc dc, int x, int y, int w, int h, int xs, int ys, int ws, int hs,
                      const void* bits, const gdi::BitmapInfoHeader* info, unsigned usage,
                      std::uint32_t rop) override {
        return g_.StretchDIBits(dc, x, y, w, h, xs, ys, ws, hs, bits, info, usage, rop);
    }
    bool BitBlt(Hdc d, int x, int y, int w, int h, Hdc s, int xs, int ys,
                std::uint32_t rop) override {
        return g_.BitBlt(d, x, y, w, h, s, xs, ys, rop);
    }
    Hgdiobj CreateFontIndirect(const gdi::LogFont& f) override { return g_.CreateFontIndirect(f); }
    std::string GetTextFace(Hdc dc) override { return g_.GetTextFace(dc); }
    bool GetTextMetrics(Hdc dc, gdi::TextMetric* tm) override { return g_.GetTextMetrics(dc, tm); }
    bool GetTextExtentPoint32(Hdc dc, const char* t, int n, gdi::Size* s) override {
        return g_.GetTextExtentPoint32(dc, t, n, s);
    }
    int DrawTextA(Hdc dc, const char* t, int n, gdi::Rect* r, unsigned format) override {
        return g_.DrawTextA(dc, t, n, r, format);
    }
    Hgdiobj CreateAlphaBitmap(int w, int h, const std::uint32_t* argb) override {
        return g_.CreateAlphaBitmap(w, h, argb);
    }
    bool AlphaBlend(Hdc d, int x, int y, int w, int h, Hdc s, int xs, int ys, int ws, int hs,
                    gdi::BlendFunction blend) override {
        return g_.AlphaBlend(d, x, y, w, h, s, xs, ys, ws, hs, blend);
    }

protected:
    gdi::Gdi& g_;
};

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
