// The raster the desktop host's runtime draws through, with a flag that says whether
// anything was drawn since the host last looked. Every pixel a control, a tooltip or a
// dialog paints goes through these calls, so the host composes and presents only after
// a real change: a timer tick that paints nothing costs no frame.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <memory>

namespace sheenwork::desktop {

class TrackingGdi final : public gdi::Gdi {
public:
    explicit TrackingGdi(std::unique_ptr<gdi::Gdi> inner) : g_(std::move(inner)) {}

    // Whether something was drawn since the last call; clears the flag.
    bool TakeDrawn() {
        const bool was = drawn_;
        drawn_ = false;
        return was;
    }

    using Hdc = gdi::Hdc;
    using Hgdiobj = gdi::Hgdiobj;
    using ColorRef = gdi::ColorRef;

    // Objects and state: selecting a new bitmap (a surface resized) changes what a DC
    // shows; the rest changes nothing on screen until something is drawn.
    Hdc CreateCompatibleDC(Hdc like) override { return g_->CreateCompatibleDC(like); }
    bool DeleteDC(Hdc dc) override { return g_->DeleteDC(dc); }
    Hgdiobj CreateCompatibleBitmap(Hdc like, int w, int h) override {
        return g_->CreateCompatibleBitmap(like, w, h);
    }
    Hgdiobj CreateBitmap(int w, int h, unsigned planes, unsigned bpp, const void* bits) override {
        return g_->CreateBitmap(w, h, planes, bpp, bits);
    }
    Hgdiobj CreateSurfaceBitmap(int w, int h) override { return g_->CreateSurfaceBitmap(w, h); }
    std::vector<ColorRef> ReadBitmap(Hgdiobj b) override { return g_->ReadBitmap(b); }
    Hgdiobj CreatePen(int style, int width, ColorRef c) override {
        return g_->CreatePen(style, width, c);
    }
    Hgdiobj CreateSolidBrush(ColorRef c) override { return g_->CreateSolidBrush(c); }
    Hgdiobj GetStockObject(int which) override { return g_->GetStockObject(which); }
    Hgdiobj SelectObject(Hdc dc, Hgdiobj o) override {
        drawn_ = true;
        return g_->SelectObject(dc, o);
    }
    bool DeleteObject(Hgdiobj o) override { return g_->DeleteObject(o); }
    ColorRef SetBkColor(Hdc dc, ColorRef c) override { return g_->SetBkColor(dc, c); }
    ColorRef GetBkColor(Hdc dc) override { return g_->GetBkColor(dc); }
    ColorRef SetTextColor(Hdc dc, ColorRef c) override { return g_->SetTextColor(dc, c); }
    ColorRef GetTextColor(Hdc dc) override { return g_->GetTextColor(dc); }
    int SetBkMode(Hdc dc, int mode) override { return g_->SetBkMode(dc, mode); }
    int GetBkMode(Hdc dc) override { return g_->GetBkMode(dc); }
    int GetDeviceCaps(Hdc dc, int index) override { return g_->GetDeviceCaps(dc, index); }

    // Drawing.
    bool MoveToEx(Hdc dc, int x, int y, gdi::Point* p) override {
        return g_->MoveToEx(dc, x, y, p);
    }
    bool LineTo(Hdc dc, int x, int y) override { return Drew(g_->LineTo(dc, x, y)); }
    ColorRef SetPixel(Hdc dc, int x, int y, ColorRef c) override {
        return Drew(g_->SetPixel(dc, x, y, c));
    }
    ColorRef GetPixel(Hdc dc, int x, int y) override { return g_->GetPixel(dc, x, y); }
    bool Rectangle(Hdc dc, int l, int t, int r, int b) override {
        return Drew(g_->Rectangle(dc, l, t, r, b));
    }
    int FillRect(Hdc dc, const gdi::Rect* r, Hgdiobj brush) override {
        return Drew(g_->FillRect(dc, r, brush));
    }
    bool RoundRect(Hdc dc, int l, int t, int r, int b, int w, int h) override {
        return Drew(g_->RoundRect(dc, l, t, r, b, w, h));
    }
    bool DrawEdge(Hdc dc, gdi::Rect* r, unsigned edge, unsigned flags) override {
        return Drew(g_->DrawEdge(dc, r, edge, flags));
    }
    bool DrawFocusRect(Hdc dc, const gdi::Rect* r) override {
        return Drew(g_->DrawFocusRect(dc, r));
    }
    int StretchDIBits(Hdc dc, int x, int y, int w, int h, int xs, int ys, int ws, int hs,
                      const void* bits, const gdi::BitmapInfoHeader* info, unsigned usage,
                      std::uint32_t rop) override {
        return Drew(g_->StretchDIBits(dc, x, y, w, h, xs, ys, ws, hs, bits, info, usage, rop));
    }
    int PutPixels(Hdc dc, const ColorRef* pixels, int w, int h) override {
        return Drew(g_->PutPixels(dc, pixels, w, h));
    }
    bool BitBlt(Hdc d, int x, int y, int w, int h, Hdc s, int xs, int ys,
                std::uint32_t rop) override {
        return Drew(g_->BitBlt(d, x, y, w, h, s, xs, ys, rop));
    }
    Hgdiobj CreateFontIndirect(const gdi::LogFont& f) override { return g_->CreateFontIndirect(f); }
    std::string GetTextFace(Hdc dc) override { return g_->GetTextFace(dc); }
    bool GetTextMetrics(Hdc dc, gdi::TextMetric* tm) override { return g_->GetTextMetrics(dc, tm); }
    bool GetTextExtentPoint32(Hdc dc, const char* t, int n, gdi::Size* s) override {
        return g_->GetTextExtentPoint32(dc, t, n, s);
    }
    int DrawTextA(Hdc dc, const char* t, int n, gdi::Rect* r, unsigned format) override {
        const int height = g_->DrawTextA(dc, t, n, r, format);
        if (!(format & gdi::DT_CALCRECT)) drawn_ = true;
        return height;
    }
    Hgdiobj CreateAlphaBitmap(int w, int h, const std::uint32_t* argb) override {
        return g_->CreateAlphaBitmap(w, h, argb);
    }
    bool AlphaBlend(Hdc d, int x, int y, int w, int h, Hdc s, int xs, int ys, int ws, int hs,
                    gdi::BlendFunction blend) override {
        return Drew(g_->AlphaBlend(d, x, y, w, h, s, xs, ys, ws, hs, blend));
    }

private:
    template <class T>
    T Drew(T result) {
        drawn_ = true;
        return result;
    }
    std::unique_ptr<gdi::Gdi> g_;
    bool drawn_ = false;
};

}  // namespace sheenwork::desktop
