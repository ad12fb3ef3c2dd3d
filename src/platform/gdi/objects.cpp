// DCs, bitmaps, pens, brushes and the per-DC state of the raster.
#include "raster.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace sheenwork::gdi::raster {

ColorRef ToBitmapColor(const Dc& dc, ColorRef color) {
    color &= 0x00FFFFFFu;
    if (dc.bitmap == nullptr || !dc.bitmap->mono) return color;
    // The nearer of black and white in RGB distance; 765 is odd, so there is no tie:
    // white exactly when 2 * (r + g + b) > 765.
    const unsigned sum = RedOf(color) + GreenOf(color) + BlueOf(color);
    return 2 * sum > 765 ? 0xFFFFFF : 0x000000;
}

ColorRef ToPenColor(const Dc& dc, ColorRef color) {
    color &= 0x00FFFFFFu;
    if (dc.bitmap == nullptr || !dc.bitmap->mono) return color;
    if (color == 0x000000 || color == 0xFFFFFF) return color;
    const ColorRef background = ToBitmapColor(dc, dc.bk_color);
    if (color == (dc.bk_color & 0x00FFFFFFu)) return background;
    return background ^ 0xFFFFFFu;
}

namespace {
// The Bayer matrix entry of (x, y), 0..63, x and y in 0..7, built two bits per level:
// the lowest bits of x and y give its highest two bits.
unsigned DitherEntry(unsigned x, unsigned y) {
    unsigned entry = 0;
    for (unsigned level = 0; level < 3; ++level) {
        const unsigned xb = (x >> level) & 1u, yb = (y >> level) & 1u;
        entry |= (((xb ^ yb) << 1) | yb) << (2 * (2 - level));
    }
    return entry;
}
}  // namespace

ColorRef BrushPixel(const Dc& dc, ColorRef color, int x, int y) {
    color &= 0x00FFFFFFu;
    if (dc.bitmap == nullptr || !dc.bitmap->mono) return color;
    const unsigned luminance = (30 * RedOf(color) + 59 * GreenOf(color) + 11 * BlueOf(color)) / 100;
    const unsigned offset =
        4 * DitherEntry(static_cast<unsigned>(x) & 7u, static_cast<unsigned>(y) & 7u) + 2;
    return luminance + offset > 255 ? 0xFFFFFF : 0x000000;
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
namespace {

// Runs of a few to a few hundred pixels in 32-byte stores, where the processor has them:
// twice what the 16-byte stores of the baseline instruction set write per cycle. The
// last store is placed at the run's end, overlapping the one before.
__attribute__((target("avx2"))) void FillWide(ColorRef* p, std::size_t n, ColorRef c) {
    const __m256i v = _mm256_set1_epi32(static_cast<int>(c));
    ColorRef* const last = p + n - 8;
    for (; p < last; p += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(last), v);
}

// Asked once, at start-up. The processor is probed here explicitly: this initialiser
// may run before the C runtime's own probe.
const bool kWideStores = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

}  // namespace
#endif

void FillPixels(ColorRef* p, std::size_t n, ColorRef c) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    // A long run takes the string store: it is how the C library's memset fills large
    // blocks, and the processor can write whole cache lines without reading them first,
    // which a loop of ordinary stores cannot. Its start-up costs more than a loop over a
    // few hundred pixels (measured on AMD Zen 4: a loop of 32-byte stores is ahead up to
    // about 500 pixels, one of 16-byte stores up to about 250).
    if (n >= (kWideStores ? 512u : 256u)) {
        asm volatile("rep stosl" : "+D"(p), "+c"(n) : "a"(c) : "memory");
        return;
    }
    if (kWideStores && n >= 8) {
        FillWide(p, n, c);
        return;
    }
#endif
    std::fill_n(p, n, c);
}

void FillSpan(Bitmap& b, int y, int x0, int x1, ColorRef c) {
    if (y < 0 || y >= b.height) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, b.width);
    if (x0 < x1) FillPixels(&b.At(x0, y), static_cast<std::size_t>(x1 - x0), c);
}

Rect ClipToBitmap(const Bitmap& b, Rect r) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, b.width);
    r.bottom = std::min(r.bottom, b.height);
    if (r.Empty()) return Rect{};
    return r;
}

RasterGdi::RasterGdi() {
    auto stock = [&](int index, Object* o) {
        o->stock = true;
        stock_[index] = o;
        objects_.insert(o);
    };
    stock(WHITE_BRUSH, new Brush(false, 0xFFFFFF));
    stock(BLACK_BRUSH, new Brush(false, 0x000000));
    stock(NULL_BRUSH, new Brush(true, 0));
    stock(WHITE_PEN, new Pen(PS_SOLID, 0, 0xFFFFFF));
    stock(BLACK_PEN, new Pen(PS_SOLID, 0, 0x000000));
    stock(NULL_PEN, new Pen(PS_NULL, 0, 0));
    // The fonts a new DC holds and the dialog font, by the names GDI gives them.
    LogFont system;
    system.lfHeight = 16;
    system.lfWeight = FW_BOLD;
    std::strcpy(system.lfFaceName, "System");
    stock(SYSTEM_FONT, new Font(system));
    LogFont gui;
    gui.lfHeight = -11;
    std::strcpy(gui.lfFaceName, "MS Shell Dlg");
    stock(DEFAULT_GUI_FONT, new Font(gui));
    // Every new DC starts with the same 1 x 1 monochrome stock bitmap, as in GDI.
    default_bitmap_ = new Bitmap(1, 1, true);
    default_bitmap_->stock = true;
    objects_.insert(default_bitmap_);
    spare_pens_.reserve(kSpares);
    spare_brushes_.reserve(kSpares);
    spare_bitmaps_.reserve(kSpares);
    spare_dcs_.reserve(kSpares);
}

RasterGdi::~RasterGdi() {
    for (Dc* d : dcs_) delete d;
    for (Object* o : objects_) delete o;
    for (Pen* p : spare_pens_) delete p;
    for (Brush* b : spare_brushes_) delete b;
    for (Bitmap* b : spare_bitmaps_) delete b;
    for (Dc* d : spare_dcs_) delete d;
}

namespace {
// A bitmap worth keeping for reuse: one of a button's size, without alpha bytes (only
// CreateAlphaBitmap makes those, and it never takes a spare).
bool IsSpareBitmap(const Bitmap& b) {
    return b.alpha.empty() && b.pixels.size() <= RasterGdi::kSpareBitmapPixels;
}
}  // namespace

Bitmap* RasterGdi::NewBitmap(int width, int height, bool mono) {
    for (auto it = spare_bitmaps_.begin(); it != spare_bitmaps_.end(); ++it) {
        Bitmap* b = *it;
        if (b->width != width || b->height != height || b->mono != mono) continue;
        *it = spare_bitmaps_.back();
        spare_bitmaps_.pop_back();
        // As new: black, unselected.
        FillPixels(b->pixels.data(), b->pixels.size(), 0);
        b->fill_pending = false;
        b->selected_into = 0;
        return b;
    }
    return new Bitmap(width, height, mono);
}

Dc* RasterGdi::Valid(Hdc h) const {
    Dc* d = ToDc(h);
    // A painter makes call after call on one DC: the last one found needs no lookup until
    // it is deleted.
    if (d != nullptr && d == last_valid_dc_) return d;
    if (!dcs_.contains(d)) return nullptr;
    last_valid_dc_ = d;
    return d;
}

Object* RasterGdi::ValidObject(Hgdiobj h) const {
    Object* o = ToObject(h);
    return objects_.contains(o) ? o : nullptr;
}

Hdc RasterGdi::CreateCompatibleDC(Hdc like) {
    if (like != nullptr && Valid(like) == nullptr) return nullptr;
    Dc* d = nullptr;
    if (spare_dcs_.empty()) {
        d = new Dc;
    } else {
        d = spare_dcs_.back();
        spare_dcs_.pop_back();
        *d = Dc{};
    }
    d->bitmap = default_bitmap_;
    d->pen = static_cast<Pen*>(stock_[BLACK_PEN]);
    d->brush = static_cast<Brush*>(stock_[WHITE_BRUSH]);
    d->font = static_cast<Font*>(stock_[SYSTEM_FONT]);
    dcs_.insert(d);
    ++live_.dcs;
    return ToHdc(d);
}

void RasterGdi::Release(Object* o) {
    if (o != nullptr && o->selected_into > 0) --o->selected_into;
}

bool RasterGdi::DeleteDC(Hdc h) {
    Dc* d = Valid(h);
    if (d == nullptr) return false;
    Release(d->bitmap);
    Release(d->pen);
    Release(d->brush);
    Release(d->font);
    dcs_.erase(d);
    if (d == last_valid_dc_) last_valid_dc_ = nullptr;
    --live_.dcs;
    if (spare_dcs_.size() < kSpares)
        spare_dcs_.push_back(d);
    else
        delete d;
    return true;
}

namespace {
// GDI refuses bitmaps whose pixel count overflows its 32-bit size computations.
bool SaneSize(int w, int h) {
    if (w <= 0 || h <= 0) return false;
    return static_cast<long long>(w) * h <= (1LL << 28);
}
}  // namespace

Hgdiobj RasterGdi::CreateCompatibleBitmap(Hdc like, int width, int height) {
    Dc* d = like != nullptr ? Valid(like) : nullptr;
    if (like != nullptr && d == nullptr) return nullptr;
    if (!SaneSize(width, height)) return nullptr;
    const bool mono = d != nullptr && d->bitmap != nullptr && d->bitmap->mono;
    Bitmap* b = NewBitmap(width, height, mono);
    objects_.insert(b);
    ++live_.objects;
    return ToHandle(b);
}

Hgdiobj RasterGdi::CreateBitmap(int width, int height, unsigned planes, unsigned bpp,
                                const void* bits) {
    if (planes != 1 || (bpp != 1 && bpp != 32)) return nullptr;
    if (!SaneSize(width, height)) return nullptr;
    Bitmap* b = NewBitmap(width, height, bpp == 1);
    if (bits != nullptr) {
        const auto* bytes = static_cast<const unsigned char*>(bits);
        if (bpp == 1) {
            const int stride = ((width + 15) / 16) * 2;  // rows padded to 16 bits
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const unsigned char byte = bytes[y * stride + x / 8];
                    b->At(x, y) = (byte >> (7 - x % 8)) & 1 ? 0xFFFFFF : 0x000000;
                }
        } else {
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const unsigned char* p = bytes + (static_cast<std::size_t>(y) * width + x) * 4;
                    b->At(x, y) = Rgb(p[2], p[1], p[0]);  // BGRA in memory
                }
        }
    }
    objects_.insert(b);
    ++live_.objects;
    return ToHandle(b);
}

Hgdiobj RasterGdi::CreateSurfaceBitmap(int width, int height) {
    if (!SaneSize(width, height)) return nullptr;
    Bitmap* b = NewBitmap(width, height, false);
    objects_.insert(b);
    ++live_.objects;
    return ToHandle(b);
}

std::vector<ColorRef> RasterGdi::ReadBitmap(Hgdiobj h) {
    Object* o = ValidObject(h);
    if (o == nullptr || o->kind != Kind::Bitmap) return {};
    return Drawn(*static_cast<Bitmap*>(o)).pixels;
}

Hgdiobj RasterGdi::CreatePen(int style, int width, ColorRef color) {
    Pen* p = nullptr;
    if (spare_pens_.empty()) {
        p = new Pen(style, width, color & 0x00FFFFFFu);
    } else {
        p = spare_pens_.back();
        spare_pens_.pop_back();
        *p = Pen(style, width, color & 0x00FFFFFFu);
    }
    objects_.insert(p);
    ++live_.objects;
    return ToHandle(p);
}

Hgdiobj RasterGdi::CreateSolidBrush(ColorRef color) {
    Brush* b = nullptr;
    if (spare_brushes_.empty()) {
        b = new Brush(false, color & 0x00FFFFFFu);
    } else {
        b = spare_brushes_.back();
        spare_brushes_.pop_back();
        *b = Brush(false, color & 0x00FFFFFFu);
    }
    objects_.insert(b);
    ++live_.objects;
    return ToHandle(b);
}

Hgdiobj RasterGdi::GetStockObject(int which) {
    if (which < 0 || which >= static_cast<int>(std::size(stock_))) return nullptr;
    return ToHandle(stock_[which]);
}

Hgdiobj RasterGdi::SelectObject(Hdc h, Hgdiobj obj) {
    Dc* d = Valid(h);
    Object* o = ValidObject(obj);
    if (d == nullptr || o == nullptr) return nullptr;
    Object* previous = nullptr;
    switch (o->kind) {
        case Kind::Bitmap: {
            auto* b = static_cast<Bitmap*>(o);
            // A bitmap lives in one DC at a time; the shared stock bitmap is the exception.
            if (!b->stock && b->selected_into > 0 && b != d->bitmap) return nullptr;
            previous = d->bitmap;
            d->bitmap = b;
            break;
        }
        case Kind::Pen:
            previous = d->pen;
            d->pen = static_cast<Pen*>(o);
            break;
        case Kind::Brush:
            previous = d->brush;
            d->brush = static_cast<Brush*>(o);
            break;
        case Kind::Font:
            previous = d->font;
            d->font = static_cast<Font*>(o);
            break;
    }
    if (previous != o) {
        Release(previous);
        ++o->selected_into;
    }
    return ToHandle(previous);
}

bool RasterGdi::DeleteObject(Hgdiobj h) {
    Object* o = ValidObject(h);
    if (o == nullptr) return false;
    if (o->stock) return true;  // deleting a stock object is a harmless no-op in GDI
    if (o->selected_into > 0) return false;
    objects_.erase(o);
    --live_.objects;
    if (o->kind == Kind::Pen && spare_pens_.size() < kSpares) {
        spare_pens_.push_back(static_cast<Pen*>(o));
    } else if (o->kind == Kind::Brush && spare_brushes_.size() < kSpares) {
        spare_brushes_.push_back(static_cast<Brush*>(o));
    } else if (o->kind == Kind::Bitmap && IsSpareBitmap(*static_cast<Bitmap*>(o)) &&
               spare_bitmaps_.size() < kSpares) {
        spare_bitmaps_.push_back(static_cast<Bitmap*>(o));
    } else {
        delete o;
    }
    return true;
}

ColorRef RasterGdi::SetBkColor(Hdc h, ColorRef color) {
    Dc* d = Valid(h);
    if (d == nullptr) return kClrInvalid;
    return std::exchange(d->bk_color, color & 0x00FFFFFFu);
}
ColorRef RasterGdi::GetBkColor(Hdc h) {
    Dc* d = Valid(h);
    return d != nullptr ? d->bk_color : kClrInvalid;
}
ColorRef RasterGdi::SetTextColor(Hdc h, ColorRef color) {
    Dc* d = Valid(h);
    if (d == nullptr) return kClrInvalid;
    return std::exchange(d->text_color, color & 0x00FFFFFFu);
}
ColorRef RasterGdi::GetTextColor(Hdc h) {
    Dc* d = Valid(h);
    return d != nullptr ? d->text_color : kClrInvalid;
}
int RasterGdi::SetBkMode(Hdc h, int mode) {
    Dc* d = Valid(h);
    // NEWTRANSPARENT exists only on devices that blit transparently by themselves.
    const int highest = (caps1_ & C1_TRANSPARENT) != 0 ? NEWTRANSPARENT : OPAQUE;
    if (d == nullptr || mode < TRANSPARENT || mode > highest) return 0;
    return std::exchange(d->bk_mode, mode);
}
int RasterGdi::GetBkMode(Hdc h) {
    Dc* d = Valid(h);
    return d != nullptr ? d->bk_mode : 0;
}

int RasterGdi::GetDeviceCaps(Hdc h, int index) {
    Dc* d = Valid(h);
    if (d == nullptr) return 0;
    switch (index) {
        case CAPS1: return caps1_;
        // A memory DC answers for the device, a 32-bit display, whatever bitmap it holds.
        case 12: return 32;  // BITSPIXEL
        case 14: return 1;   // PLANES
        case 88:             // LOGPIXELSX
        case 90: return 96;  // LOGPIXELSY
        default: return 0;
    }
}

// SetPixel answers the colour it actually set (on a monochrome bitmap, the nearer of
// black and white).
ColorRef RasterGdi::SetPixel(Hdc h, int x, int y, ColorRef color) {
    Dc* d = Valid(h);
    if (d == nullptr || !d->bitmap->Contains(x, y)) return kClrInvalid;
    const ColorRef c = ToBitmapColor(*d, color);
    Drawn(*d->bitmap).At(x, y) = c;
    return c;
}

ColorRef RasterGdi::GetPixel(Hdc h, int x, int y) {
    Dc* d = Valid(h);
    if (d == nullptr || !d->bitmap->Contains(x, y)) return kClrInvalid;
    return Drawn(*d->bitmap).At(x, y);
}

}  // namespace sheenwork::gdi::raster

namespace sheenwork::gdi {

std::unique_ptr<Gdi> MakeRasterGdi() { return std::make_unique<raster::RasterGdi>(); }

LiveObjects RasterLiveObjects(Gdi& gdi) {
    auto* r = dynamic_cast<raster::RasterGdi*>(&gdi);
    return r != nullptr ? r->Live() : LiveObjects{};
}

void SetRasterCaps1(Gdi& gdi, int caps1) {
    if (auto* r = dynamic_cast<raster::RasterGdi*>(&gdi)) r->SetCaps1(caps1);
}

}  // namespace sheenwork::gdi
