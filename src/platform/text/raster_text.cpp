// The raster's text calls: fonts realised by the text engine, DrawTextA laid out by
// LayOutText and drawn glyph by glyph.
//
// Drawing a line is ExtTextOut's: with the OPAQUE background mode the line's cell (its
// width by tmHeight) is filled with the background colour first; each glyph's grey
// levels are blended over what is beneath in the text colour through GDI's intensity
// ramp (the full level writes the text colour itself); the font's underline and strikeout are bands
// of their thickness across the line's width; everything is cut to the rectangle (unless DT_NOCLIP)
// and to the bitmap. The "&" underline is DrawTextA's own: a one-pixel line in the text colour one
// row below the baseline, cut only to the rectangle's columns.
#include "platform/gdi/raster.h"
#include "platform/text/font_engine.h"
#include "platform/text/layout.h"

#include <algorithm>
#include <cstring>

namespace sheenwork::gdi::raster {
namespace {

// GDI does not blend grey levels linearly: a level's intensity follows a fixed ramp,
// measured on Windows as white text at level L on black (about 77 * L^0.43, so half
// coverage is 0xBD, not 0x80). For a text component t the level reaches from
// ramp[L] * t / 255 over black up to ramp[16 - L] + (255 - ramp[16 - L]) * t / 255 over
// white, and a destination component d in between is interpolated towards t.
constexpr std::uint8_t kRamp[text::Glyph::kLevels + 1] = {0x00, 0x4d, 0x68, 0x7c, 0x8c, 0x9a,
                                                          0xa7, 0xb2, 0xbd, 0xc7, 0xd0, 0xd9,
                                                          0xe1, 0xe9, 0xf0, 0xf8, 0xff};

unsigned BlendComponent(unsigned d, unsigned t, unsigned level) {
    if (d == t) return d;
    if (d > t) {
        const unsigned high = kRamp[16 - level] + ((255 - kRamp[16 - level]) * t) / 255;
        return t + ((d - t) * (high - t)) / (255 - t);
    }
    const unsigned low = (kRamp[level] * t) / 255;
    return t - ((t - d) * (t - low)) / t;
}

ColorRef Blend(ColorRef under, ColorRef ink, unsigned level) {
    if (level >= text::Glyph::kLevels) return ink;
    return Rgb(BlendComponent(RedOf(under), RedOf(ink), level),
               BlendComponent(GreenOf(under), GreenOf(ink), level),
               BlendComponent(BlueOf(under), BlueOf(ink), level));
}

Rect Intersect(Rect a, const Rect& b) {
    a.left = std::max(a.left, b.left);
    a.top = std::max(a.top, b.top);
    a.right = std::min(a.right, b.right);
    a.bottom = std::min(a.bottom, b.bottom);
    if (a.Empty()) return Rect{};
    return a;
}

void FillClipped(Bitmap& b, Rect r, const Rect& clip, ColorRef c) {
    r = Intersect(r, clip);
    for (int y = r.top; y < r.bottom; ++y) FillSpan(b, y, r.left, r.right, c);
}

// One line of text with its top-left cell corner at (x, y), cut to `clip` (already cut
// to the bitmap).
void DrawLine(Dc& dc, text::RealizedFont& font, const text::LaidLine& line, const Rect& clip) {
    Bitmap& b = *dc.bitmap;
    const TextMetric& tm = font.Metrics();
    const ColorRef ink = ToBitmapColor(dc, dc.text_color);
    if (dc.bk_mode == OPAQUE)
        FillClipped(b, Rect{line.x, line.y, line.x + line.width, line.y + tm.tmHeight}, clip,
                    ToBitmapColor(dc, dc.bk_color));
    const int baseline = line.y + tm.tmAscent;
    int pen = line.x;
    for (char ch : line.text) {
        const text::Glyph& g = font.GlyphOf(static_cast<unsigned char>(ch));
        const int gx = pen + g.left, gy = baseline - g.top;
        const Rect area = Intersect(Rect{gx, gy, gx + g.width, gy + g.rows}, clip);
        for (int y = area.top; y < area.bottom; ++y) {
            const std::uint8_t* row = g.coverage.data() + static_cast<std::size_t>(y - gy) * g.width;
            for (int x = area.left; x < area.right; ++x) {
                const unsigned a = row[x - gx];
                if (a <= 1) continue;
                ColorRef& p = b.At(x, y);
                p = b.mono ? (a >= text::Glyph::kLevels / 2 ? ink : p) : Blend(p, ink, a);
            }
        }
        pen += g.pen_advance;
    }
    const auto band = [&](int position, int thickness) {
        thickness = std::max(thickness, 1);  // a band thinner than a pixel still shows
        const int top = baseline - position - thickness / 2;
        FillClipped(b, Rect{line.x, top, line.x + line.width, top + thickness}, clip, ink);
    };
    if (font.Underline()) band(font.UnderlinePosition(), font.UnderlineThickness());
    if (font.StrikeOut()) band(font.StrikeoutPosition(), font.StrikeoutThickness());
}

}  // namespace

text::RealizedFont& RasterGdi::FontOf(Dc& dc) {
    Font* f = dc.font != nullptr ? dc.font : static_cast<Font*>(stock_[SYSTEM_FONT]);
    if (!f->realized) f->realized = text::Realize(f->log);
    return *f->realized;
}

Hgdiobj RasterGdi::CreateFontIndirect(const LogFont& font) {
    auto* f = new Font(font);
    f->log.lfFaceName[kLfFaceSize - 1] = '\0';
    objects_.insert(f);
    ++live_.objects;
    return ToHandle(f);
}

std::string RasterGdi::GetTextFace(Hdc h) {
    Dc* d = Valid(h);
    if (d == nullptr) return {};
    return FontOf(*d).Family();
}

bool RasterGdi::GetTextMetrics(Hdc h, TextMetric* metrics) {
    Dc* d = Valid(h);
    if (d == nullptr || metrics == nullptr) return false;
    *metrics = FontOf(*d).Metrics();
    return true;
}

bool RasterGdi::GetTextExtentPoint32(Hdc h, const char* text, int count, Size* size) {
    Dc* d = Valid(h);
    if (d == nullptr || size == nullptr || count < 0 || (text == nullptr && count > 0))
        return false;
    text::RealizedFont& font = FontOf(*d);
    size->cx =
        font.Extent(std::string_view(text != nullptr ? text : "", static_cast<std::size_t>(count)));
    size->cy = count > 0 ? font.Metrics().tmHeight : 0;
    return true;
}

int RasterGdi::DrawTextA(Hdc h, const char* text, int count, Rect* rect, unsigned format) {
    Dc* d = Valid(h);
    if (d == nullptr || rect == nullptr) return 0;
    text::RealizedFont& font = FontOf(*d);
    const text::AdvanceOf advance = [&font](unsigned char c) { return font.GlyphOf(c).advance; };
    // One layout per thread, reused: DrawTextA allocates nothing once warm.
    thread_local text::TextLayout layout;
    text::LayOutText(text, count, *rect, format, font.Metrics(), advance, layout);
    if (layout.calc) *rect = layout.rect;
    if (!layout.draw || d->bitmap == nullptr) return layout.result;
    Drawn(*d->bitmap);

    const bool clipped = (format & DT_NOCLIP) == 0;
    const Rect whole{0, 0, d->bitmap->width, d->bitmap->height};
    const Rect clip = clipped ? Intersect(*rect, whole) : whole;
    const ColorRef line_color = ToPenColor(*d, d->text_color);
    for (const text::LaidLine& line : layout.lines) {
        DrawLine(*d, font, line, clip);
        const text::PrefixUnderline u =
            text::UnderlineOf(line, font.Metrics(), clipped ? rect : nullptr, advance);
        if (u.visible) FillSpan(*d->bitmap, u.row, u.from, u.to, line_color);
    }
    return layout.result;
}

}  // namespace sheenwork::gdi::raster
