// The raster operations the benchmarks time, written once against gdi::Gdi so that the
// same work runs on our raster (Google Benchmark, bench/raster_bench.cpp) and on real
// GDI under Wine (reference/bench_main.cpp).
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sheenwork::bench {

// A memory DC with a surface bitmap of the given size, plus the objects the operations
// use; everything is released by the destructor.
class Target {
public:
    Target(gdi::Gdi& g, int width, int height) : gdi_(g), width_(width), height_(height) {
        dc_ = g.CreateCompatibleDC(nullptr);
        bitmap_ = g.CreateSurfaceBitmap(width, height);
        old_bitmap_ = g.SelectObject(dc_, bitmap_);
        src_dc_ = g.CreateCompatibleDC(dc_);
        src_bitmap_ = g.CreateSurfaceBitmap(width, height);
        old_src_bitmap_ = g.SelectObject(src_dc_, src_bitmap_);
        brush_ = g.CreateSolidBrush(0x00D7E0E0);
        pen_ = g.CreatePen(gdi::PS_SOLID, 1, 0x00743C00);
        old_pen_ = g.SelectObject(dc_, pen_);
        old_brush_ = g.SelectObject(dc_, g.GetStockObject(gdi::NULL_BRUSH));
        // A 4-column, height-row gradient DIB like the button's bands.
        dib_.resize(static_cast<std::size_t>(12) * height);
        for (std::size_t i = 0; i < dib_.size(); ++i) dib_[i] = static_cast<std::uint8_t>(i * 7);
        info_.biWidth = 4;
        info_.biHeight = height;
        info_.biSizeImage = static_cast<std::uint32_t>(height);
    }
    ~Target() {
        gdi_.SelectObject(dc_, old_pen_);
        gdi_.SelectObject(dc_, old_brush_);
        gdi_.SelectObject(dc_, old_bitmap_);
        gdi_.SelectObject(src_dc_, old_src_bitmap_);
        gdi_.DeleteObject(pen_);
        gdi_.DeleteObject(brush_);
        gdi_.DeleteObject(bitmap_);
        gdi_.DeleteObject(src_bitmap_);
        gdi_.DeleteDC(src_dc_);
        gdi_.DeleteDC(dc_);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    void Fill() {
        const gdi::Rect r{0, 0, width_, height_};
        gdi_.FillRect(dc_, &r, brush_);
    }
    // A diagonal across the bitmap.
    void Line() {
        gdi_.MoveToEx(dc_, 0, 0, nullptr);
        gdi_.LineTo(dc_, width_ - 1, height_ - 1);
    }
    void RoundRect() { gdi_.RoundRect(dc_, 0, 0, width_, height_, 5, 5); }
    void StretchDIBits() {
        gdi_.StretchDIBits(dc_, 0, 0, width_, height_, 0, 0, 4, height_, dib_.data(), &info_,
                           gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
    }
    void BitBlt() { gdi_.BitBlt(dc_, 0, 0, width_, height_, src_dc_, 0, 0, gdi::SRCCOPY); }
    // A pixel read, so that a lazy implementation cannot skip the work.
    gdi::ColorRef Probe() { return gdi_.GetPixel(dc_, width_ / 2, height_ / 2); }

private:
    gdi::Gdi& gdi_;
    int width_, height_;
    gdi::Hdc dc_, src_dc_;
    gdi::Hgdiobj bitmap_, old_bitmap_, src_bitmap_, old_src_bitmap_;
    gdi::Hgdiobj brush_, pen_, old_pen_, old_brush_;
    std::vector<std::uint8_t> dib_;
    gdi::BitmapInfoHeader info_;
};

struct Size {
    const char* name;
    int width, height;
};
inline constexpr Size kSizes[] = {{"button_75x23", 75, 23}, {"screen_1920x1080", 1920, 1080}};

using Op = void (Target::*)();
struct NamedOp {
    const char* name;
    Op op;
};
inline constexpr NamedOp kOps[] = {{"Fill", &Target::Fill},
                                   {"Line", &Target::Line},
                                   {"RoundRect", &Target::RoundRect},
                                   {"StretchDIBits", &Target::StretchDIBits},
                                   {"BitBlt", &Target::BitBlt}};

}  // namespace sheenwork::bench
