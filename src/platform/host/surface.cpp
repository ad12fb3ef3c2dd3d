#include <sheenwork/host/surface.h>

#include <sheenwork/vb/color.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

namespace sheenwork::host {
namespace {

// Single -> pixel: nearest, halves to even (the current rounding mode's default),
// saturated so that absurd values stay far outside the surface without overflowing.
int ToPixel(float v) {
    if (std::isnan(v)) return 0;
    constexpr float kLimit = 1e9f;
    v = std::clamp(v, -kLimit, kLimit);
    // Below 2^22 in magnitude, adding and taking away 1.5 * 2^23 rounds as nearbyint does
    // (the sum has no bits below the units): a coordinate costs no library call.
    constexpr float kRounder = 12582912.0f;
    if (v > -4194304.0f && v < 4194304.0f) return static_cast<int>((v + kRounder) - kRounder);
    return static_cast<int>(std::nearbyint(v));
}

}  // namespace

Surface::Surface(gdi::Gdi& gdi, int width, int height) : gdi_(gdi) {
    dc_ = gdi_.CreateCompatibleDC(nullptr);
    // The host surface's fill style is hollow: RoundRect on its hDC draws an outline.
    gdi_.SelectObject(dc_, gdi_.GetStockObject(gdi::NULL_BRUSH));
    // Text goes over what is painted, never in a box of the back colour.
    gdi_.SetBkMode(dc_, gdi::TRANSPARENT);
    Resize(width, height);
    Font(font_);
}

Surface::~Surface() {
    if (old_font_ != nullptr) gdi_.SelectObject(dc_, old_font_);
    if (font_object_ != nullptr) gdi_.DeleteObject(font_object_);
    if (spare_font_object_ != nullptr) gdi_.DeleteObject(spare_font_object_);
    if (old_pen_ != nullptr) gdi_.SelectObject(dc_, old_pen_);
    for (const Kept& pen : pens_)
        if (pen.handle != nullptr) gdi_.DeleteObject(pen.handle);
    for (const Kept& brush : brushes_)
        if (brush.handle != nullptr) gdi_.DeleteObject(brush.handle);
    if (old_bitmap_ != nullptr) gdi_.SelectObject(dc_, old_bitmap_);
    if (bitmap_ != nullptr) gdi_.DeleteObject(bitmap_);
    gdi_.DeleteDC(dc_);
}

void Surface::Resize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    gdi::Hgdiobj fresh = gdi_.CreateSurfaceBitmap(width, height);
    if (fresh == nullptr) return;
    gdi::Hgdiobj previous = gdi_.SelectObject(dc_, fresh);
    if (old_bitmap_ == nullptr) old_bitmap_ = previous;
    if (bitmap_ != nullptr) gdi_.DeleteObject(bitmap_);
    bitmap_ = fresh;
    width_ = width;
    height_ = height;
    gdi_.SetTextColor(dc_, Resolve(fore_color_));
    Cls();
}

gdi::ColorRef Surface::Resolve(std::uint32_t color) const {
    return (color >> 24) == 0 ? color : vb::TranslateColor(color);
}

void Surface::Font(const vb::StdFont& font) {
    // The caption sets its font on every paint, and the drop-down glyph its own: the last
    // two descriptions keep their GDI fonts, so that going back to one is a selection.
    if (font_object_ != nullptr && font == font_) return;
    if (spare_font_object_ != nullptr && font == spare_font_) {
        gdi_.SelectObject(dc_, spare_font_object_);
        std::swap(font_object_, spare_font_object_);
        std::swap(font_, spare_font_);
        return;
    }
    gdi::LogFont lf;
    lf.lfHeight = -font.PixelHeight();
    lf.lfWeight = font.Weight();
    lf.lfItalic = font.Italic() ? 1 : 0;
    lf.lfUnderline = font.Underline() ? 1 : 0;
    lf.lfStrikeOut = font.Strikethrough() ? 1 : 0;
    lf.lfCharSet = static_cast<std::uint8_t>(font.Charset());
    lf.lfQuality = gdi::ANTIALIASED_QUALITY;
    font.Name().copy(lf.lfFaceName, gdi::kLfFaceSize - 1);
    gdi::Hgdiobj fresh = gdi_.CreateFontIndirect(lf);
    if (fresh == nullptr) return;
    gdi::Hgdiobj previous = gdi_.SelectObject(dc_, fresh);
    if (old_font_ == nullptr) old_font_ = previous;
    if (spare_font_object_ != nullptr) gdi_.DeleteObject(spare_font_object_);
    vb::StdFont wanted = font;  // `font` may be one of the two kept
    spare_font_object_ = font_object_;
    spare_font_ = std::move(font_);
    font_object_ = fresh;
    font_ = std::move(wanted);
}

void Surface::BackColor(std::uint32_t color) {
    back_color_ = color;
    Cls();
}

void Surface::ForeColor(std::uint32_t color) {
    fore_color_ = color;
    gdi_.SetTextColor(dc_, Resolve(color));
    SelectPen(Resolve(color));
}

void Surface::SelectPen(gdi::ColorRef color) {
    if (selected_pen_ >= 0 && pens_[selected_pen_].color == color) return;
    for (int i = 0; i < kPens; ++i) {
        if (pens_[i].handle == nullptr || pens_[i].color != color) continue;
        gdi::Hgdiobj previous = gdi_.SelectObject(dc_, pens_[i].handle);
        if (old_pen_ == nullptr) old_pen_ = previous;
        selected_pen_ = i;
        return;
    }
    // A new colour takes the next slot, never the selected pen's.
    int slot = next_pen_;
    if (slot == selected_pen_) slot = (slot + 1) % kPens;
    next_pen_ = (slot + 1) % kPens;
    gdi::Hgdiobj pen = gdi_.CreatePen(gdi::PS_SOLID, 1, color);
    if (pen == nullptr) return;
    gdi::Hgdiobj previous = gdi_.SelectObject(dc_, pen);
    if (old_pen_ == nullptr) old_pen_ = previous;
    if (pens_[slot].handle != nullptr) gdi_.DeleteObject(pens_[slot].handle);
    pens_[slot] = Kept{pen, color};
    selected_pen_ = slot;
}

gdi::Hgdiobj Surface::Brush(gdi::ColorRef color) {
    for (const Kept& brush : brushes_)
        if (brush.handle != nullptr && brush.color == color) return brush.handle;
    Kept& slot = brushes_[next_brush_];
    next_brush_ = (next_brush_ + 1) % kBrushes;
    if (slot.handle != nullptr) gdi_.DeleteObject(slot.handle);
    slot = Kept{gdi_.CreateSolidBrush(color), color};
    return slot.handle;
}

void Surface::Cls() {
    const gdi::Rect all{0, 0, width_, height_};
    gdi_.FillRect(dc_, &all, Brush(Resolve(back_color_)));
}

void Surface::Line(float x1, float y1, float x2, float y2, std::optional<std::uint32_t> color) {
    SelectPen(Resolve(color.value_or(fore_color_)));
    gdi_.MoveToEx(dc_, ToPixel(x1), ToPixel(y1), nullptr);
    gdi_.LineTo(dc_, ToPixel(x2), ToPixel(y2));
    if (color) SelectPen(Resolve(fore_color_));
}

void Surface::Box(float x1, float y1, float x2, float y2, std::optional<std::uint32_t> color) {
    const int l = std::min(ToPixel(x1), ToPixel(x2)), r = std::max(ToPixel(x1), ToPixel(x2));
    const int t = std::min(ToPixel(y1), ToPixel(y2)), b = std::max(ToPixel(y1), ToPixel(y2));
    // A frame of one pixel drawn as four fills, so that both corners are covered and
    // a one-pixel-wide box is a plain line.
    gdi::Hgdiobj brush = Brush(Resolve(color.value_or(fore_color_)));
    const gdi::Rect sides[] = {
        {l, t, r + 1, t + 1}, {l, b, r + 1, b + 1}, {l, t, l + 1, b + 1}, {r, t, r + 1, b + 1}};
    for (const gdi::Rect& side : sides) gdi_.FillRect(dc_, &side, brush);
}

void Surface::FilledBox(float x1, float y1, float x2, float y2,
                        std::optional<std::uint32_t> color) {
    const int l = std::min(ToPixel(x1), ToPixel(x2)), r = std::max(ToPixel(x1), ToPixel(x2));
    const int t = std::min(ToPixel(y1), ToPixel(y2)), b = std::max(ToPixel(y1), ToPixel(y2));
    const gdi::Rect area{l, t, r + 1, b + 1};
    gdi_.FillRect(dc_, &area, Brush(Resolve(color.value_or(fore_color_))));
}

void Surface::PSet(float x, float y, std::optional<std::uint32_t> color) {
    gdi_.SetPixel(dc_, ToPixel(x), ToPixel(y), Resolve(color.value_or(fore_color_)));
}

std::vector<gdi::ColorRef> Surface::Pixels() const { return gdi_.ReadBitmap(bitmap_); }

std::shared_ptr<SurfaceImage> Surface::Image() const {
    auto image = std::make_shared<SurfaceImage>();
    image->width = width_;
    image->height = height_;
    image->pixels = Pixels();
    return image;
}

void Surface::PaintPicture(const SurfaceImage& image, float x, float y, float w, float h, float sx,
                           float sy, float sw, float sh) {
    if (image.width <= 0 || image.height <= 0) return;
    // The source region, cut to the image: what lies outside it has nothing to copy.
    const long long want_x = ToPixel(sx), want_y = ToPixel(sy);
    const long long want_w = sw > 0 ? ToPixel(sw) : image.width - want_x;
    const long long want_h = sh > 0 ? ToPixel(sh) : image.height - want_y;
    const long long dst_w = w > 0 ? ToPixel(w) : want_w;
    const long long dst_h = h > 0 ? ToPixel(h) : want_h;
    const long long left = std::max(want_x, 0LL), top = std::max(want_y, 0LL);
    const long long right = std::min(want_x + want_w, static_cast<long long>(image.width));
    const long long bottom = std::min(want_y + want_h, static_cast<long long>(image.height));
    if (want_w <= 0 || want_h <= 0 || dst_w <= 0 || dst_h <= 0 || right <= left || bottom <= top)
        return;
    // Only the region goes to GDI, as a DIB of its own that starts at its first pixel:
    // StretchDIBits counts a top-down DIB's source rows from the bottom, so a region
    // given by its top row inside a larger DIB would copy other rows than meant.
    const int cw = static_cast<int>(right - left), ch = static_cast<int>(bottom - top);
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(cw) * ch * 4);
    for (int row = 0; row < ch; ++row) {
        for (int col = 0; col < cw; ++col) {
            const gdi::ColorRef p =
                image.pixels[static_cast<std::size_t>(top + row) * image.width + left + col];
            std::uint8_t* q = &bits[(static_cast<std::size_t>(row) * cw + col) * 4];
            q[0] = static_cast<std::uint8_t>(gdi::BlueOf(p));
            q[1] = static_cast<std::uint8_t>(gdi::GreenOf(p));
            q[2] = static_cast<std::uint8_t>(gdi::RedOf(p));
        }
    }
    // The cut keeps the scale: each side shrinks by the same share in the destination.
    const long long dx = ToPixel(x) + (left - want_x) * dst_w / want_w;
    const long long dy = ToPixel(y) + (top - want_y) * dst_h / want_h;
    const long long dw = (right - want_x) * dst_w / want_w - (left - want_x) * dst_w / want_w;
    const long long dh = (bottom - want_y) * dst_h / want_h - (top - want_y) * dst_h / want_h;
    gdi::BitmapInfoHeader info;
    info.biWidth = cw;
    info.biHeight = -ch;
    info.biBitCount = 32;
    info.biSizeImage = static_cast<std::uint32_t>(bits.size());
    gdi_.StretchDIBits(dc_, static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(dw),
                       static_cast<int>(dh), 0, 0, cw, ch, bits.data(), &info, gdi::DIB_RGB_COLORS,
                       gdi::SRCCOPY);
}

}  // namespace sheenwork::host

namespace sheenwork::host {

void Surface::PaintPicture(const vb::StdPicture& picture, float x, float y, std::optional<float> w,
                           std::optional<float> h) {
    const int pw = picture.PixelWidth(), ph = picture.PixelHeight();
    if (pw <= 0 || ph <= 0) return;
    const int dx = ToPixel(x), dy = ToPixel(y);
    const int dw = w ? ToPixel(*w) : pw, dh = h ? ToPixel(*h) : ph;
    if (dw == 0 || dh == 0) return;
    // GDI stretches the whole picture itself, cutting to the surface on the way: a picture
    // drawn smaller than it is must have its rows and columns combined by the stretch
    // mode (or, for AlphaBlend, chosen) by GDI's own rule, which picking pixels here
    // would not give.
    const auto& argb = picture.Pixels();
    const bool translucent =
        std::any_of(argb.begin(), argb.end(), [](std::uint32_t p) { return (p >> 24) != 0xFF; });
    if (!translucent) {
        // The fourth byte of a 32-bit DIB must be 0: GDI compares whole pixel values when
        // it matches a background colour (a masked copy's key) against them.
        std::vector<std::uint32_t> bits(argb.size());
        std::transform(argb.begin(), argb.end(), bits.begin(),
                       [](std::uint32_t p) { return p & 0x00FFFFFFu; });
        // The host copies with StretchBlt, which onto a destination one pixel wide (or
        // high) leaves out the picture's last column (row). StretchDIBits counts a
        // stretched source block's rows from the bottom, so the block that keeps the top
        // row starts that one row up.
        const int sw = dw == 1 && pw > 1 ? pw - 1 : pw;
        const int sh = dh == 1 && ph > 1 ? ph - 1 : ph;
        // 0xAARRGGBB is B, G, R, A in memory: a 32-bit top-down DIB as it stands.
        gdi::BitmapInfoHeader info;
        info.biWidth = pw;
        info.biHeight = -ph;
        info.biBitCount = 32;
        info.biSizeImage = static_cast<std::uint32_t>(bits.size() * 4);
        gdi_.StretchDIBits(dc_, dx, dy, dw, dh, 0, ph - sh, sw, sh, bits.data(), &info,
                           gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
        return;
    }
    // AlphaBlend takes no mirrored extents: a mirrored picture is handed over turned, to
    // cover the same pixels with positive ones.
    std::vector<std::uint32_t> pre(argb.size());
    for (int j = 0; j < ph; ++j)
        for (int i = 0; i < pw; ++i) {
            const std::uint32_t p = picture.Pixel(dw < 0 ? pw - 1 - i : i, dh < 0 ? ph - 1 - j : j);
            const std::uint32_t a = p >> 24;
            const auto scale = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            pre[static_cast<std::size_t>(j) * pw + i] =
                (a << 24) | (scale((p >> 16) & 0xFFu) << 16) | (scale((p >> 8) & 0xFFu) << 8) |
                scale(p & 0xFFu);
        }
    gdi::Hdc src = gdi_.CreateCompatibleDC(dc_);
    gdi::Hgdiobj bitmap = gdi_.CreateAlphaBitmap(pw, ph, pre.data());
    if (src != nullptr && bitmap != nullptr) {
        gdi::Hgdiobj previous = gdi_.SelectObject(src, bitmap);
        gdi_.AlphaBlend(dc_, dw < 0 ? dx + dw + 1 : dx, dh < 0 ? dy + dh + 1 : dy, std::abs(dw),
                        std::abs(dh), src, 0, 0, pw, ph, gdi::BlendFunction{});
        gdi_.SelectObject(src, previous);
    }
    if (bitmap != nullptr) gdi_.DeleteObject(bitmap);
    if (src != nullptr) gdi_.DeleteDC(src);
}

}  // namespace sheenwork::host
