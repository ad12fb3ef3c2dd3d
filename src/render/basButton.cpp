#include "render/basButton.h"

#include <sheenwork/util/error.h>

#include <array>
#include <cstdint>
#include <vector>

namespace sheenwork {

namespace {

constexpr char kModule[] = "basButton";

// vb::RoundHalfEven of a value whose magnitude is below 2^62, without its library calls:
// the conversion truncates towards zero exactly, and the fraction left is exact too.
double RoundHalfEvenNear(double x) {
    const auto whole = static_cast<std::int64_t>(x);
    const double frac = x - static_cast<double>(whole);
    const bool odd = (whole & 1) != 0;
    if (frac > 0.5 || (frac == 0.5 && odd)) return static_cast<double>(whole + 1);
    if (frac < -0.5 || (frac == -0.5 && odd)) return static_cast<double>(whole - 1);
    return static_cast<double>(whole);
}

// A colour component stepping in single precision, as the gradient is defined: each
// step and each running sum is rounded to float, and a pixel takes the running value
// rounded half to even.
struct Channel {
    float value;
    float step;
    Channel(unsigned from, unsigned to, double steps)
        : value(static_cast<float>(from)),
          step(static_cast<float>((static_cast<double>(to) - static_cast<double>(from)) / steps)) {}
    std::uint8_t Take() {
        // Each step moves the value by at most 255 and each float sum is off by at most
        // half a unit in its last place, so the value stays near the band's colours, far
        // below 2^62, for any count of pixels a band can have.
        const auto v = static_cast<std::uint8_t>(RoundHalfEvenNear(value));
        value = value + step;
        return v;
    }
};

// The bytes of the last few bands drawn. A button paints the same bands at every
// repaint, so each is stepped out once rather than on every paint; a band is known by
// everything its bytes follow from.
class BandCache {
public:
    // `pixels` pixels (blue, green, red) stepping from (r1, g1, b1) towards (r2, g2, b2)
    // in `steps` steps, then zeros up to `size` bytes.
    const std::uint8_t* Bits(const std::array<unsigned, 6>& colors, vb::Long pixels, double steps,
                             std::size_t size) {
        for (Band& b : bands_)
            if (b.size == size && b.pixels == pixels && b.steps == steps && b.colors == colors)
                return b.bits.data();
        Band& b = bands_[next_];
        next_ = (next_ + 1) % bands_.size();
        b.pixels = -1;  // known again only once its bytes are complete
        b.bits.assign(size, 0);
        Channel red{colors[0], colors[3], steps}, green{colors[1], colors[4], steps},
            blue{colors[2], colors[5], steps};
        std::uint8_t* out = b.bits.data();
        for (vb::Long k = 0; k < pixels; ++k, out += 3) {
            out[0] = blue.Take();
            out[1] = green.Take();
            out[2] = red.Take();
        }
        b.colors = colors;
        b.pixels = pixels;
        b.steps = steps;
        b.size = size;
        return b.bits.data();
    }
    // Gives back the memory of a band far larger than a button's.
    void Trim() {
        for (Band& b : bands_)
            if (b.bits.capacity() > (std::size_t{1} << 20)) b = Band{};
    }

private:
    struct Band {
        std::array<unsigned, 6> colors{};
        vb::Long pixels = -1;
        double steps = 0;
        std::size_t size = 0;
        std::vector<std::uint8_t> bits;
    };
    std::array<Band, 4> bands_;
    std::size_t next_ = 0;
};

}  // namespace

void DrawGradient(gdi::Gdi& gdi, gdi::Hdc hDC, const gdi::Rect* lRectPtr, vb::Long clrStart,
                  vb::Long clrEnd, vb::Long lDirection) {
    Procedure p{"DrawGradient", ModuleKind::StandardModule, kModule};
    // One step: an overflow in the sizes ends the routine before anything is drawn,
    // whether errors are reported or skipped.
    p([&] {
        const gdi::Rect rc = *lRectPtr;
        const vb::Long width = vb::Sub(rc.right, rc.left);
        const vb::Long height = vb::Sub(rc.bottom, rc.top);
        const auto start = static_cast<std::uint32_t>(clrStart);
        const auto end = static_cast<std::uint32_t>(clrEnd);
        const unsigned r1 = gdi::RedOf(start), g1 = gdi::GreenOf(start), b1 = gdi::BlueOf(start);
        const unsigned r2 = gdi::RedOf(end), g2 = gdi::GreenOf(end), b2 = gdi::BlueOf(end);

        const std::array<unsigned, 6> colors{r1, g1, b1, r2, g2, b2};
        thread_local BandCache bands;
        gdi::BitmapInfoHeader header;
        if (lDirection == 1) {
            // Four pixels per row, so rows need no padding (12 bytes each).
            if (vb::Sub(vb::Mul(12, height), 1) < 0) return;
            const vb::Long n = vb::Mul(4, height);
            header.biWidth = 4;
            header.biHeight = height;  // positive: the first row in memory is the bottom one
            header.biSizeImage = static_cast<std::uint32_t>(height);
            const std::uint8_t* bits = bands.Bits(colors, n, static_cast<double>(height) * 4.0,
                                                  static_cast<std::size_t>(n) * 3);
            gdi.StretchDIBits(hDC, rc.left, rc.top, width, height, 0, 0, 4, height, bits, &header,
                              gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
        } else if (lDirection == 0) {
            if (vb::Sub(vb::Mul(3, width), 1) < 0) return;
            header.biWidth = width;
            header.biHeight = 1;
            header.biSizeImage = static_cast<std::uint32_t>(width);
            // A one-row DIB needs its row padded to four bytes.
            const std::size_t size = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
            const std::uint8_t* bits = bands.Bits(colors, width, static_cast<double>(width), size);
            gdi.StretchDIBits(hDC, rc.left, rc.top, width, height, 0, 0, width, 1, bits, &header,
                              gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
        }
        bands.Trim();
    });
}

void TransBlt(gdi::Gdi& gdi, gdi::Hdc hdcDest, vb::Long xDest, vb::Long yDest, vb::Long nWidth,
              vb::Long nHeight, gdi::Hdc hdcSrc, vb::Long xSrc, vb::Long ySrc,
              vb::Long clrTransparent) {
    Procedure p{"TransBlt", ModuleKind::StandardModule, kModule};
    const auto key = static_cast<gdi::ColorRef>(clrTransparent);
    using gdi::SRCAND, gdi::SRCCOPY, gdi::SRCPAINT, gdi::NOTSRCCOPY;

    bool device_transparent = false;
    p([&] {
        device_transparent = (gdi.GetDeviceCaps(hdcDest, gdi::CAPS1) & gdi::C1_TRANSPARENT) != 0;
    });
    if (device_transparent) {
        gdi::ColorRef old_color = 0;
        int old_mode = 0;
        p([&] { old_mode = gdi.SetBkMode(hdcDest, gdi::NEWTRANSPARENT); });
        p([&] { old_color = gdi.SetBkColor(hdcDest, key); });
        p([&] { gdi.BitBlt(hdcDest, xDest, yDest, nWidth, nHeight, hdcSrc, xSrc, ySrc, SRCCOPY); });
        p([&] { gdi.SetBkColor(hdcDest, old_color); });
        p([&] { gdi.SetBkMode(hdcDest, old_mode); });
        return;
    }

    gdi::ColorRef old_src_color = 0;
    p([&] { old_src_color = gdi.SetBkColor(hdcSrc, 0xFFFFFF); });
    gdi::Hdc save_dc = nullptr, mask_dc = nullptr, inverse_dc = nullptr, work_dc = nullptr;
    p([&] { save_dc = gdi.CreateCompatibleDC(hdcDest); });
    p([&] { mask_dc = gdi.CreateCompatibleDC(hdcDest); });
    p([&] { inverse_dc = gdi.CreateCompatibleDC(hdcDest); });
    p([&] { work_dc = gdi.CreateCompatibleDC(hdcDest); });
    gdi::Hgdiobj mask = nullptr, inverse = nullptr, work = nullptr, save = nullptr;
    p([&] { mask = gdi.CreateBitmap(nWidth, nHeight, 1, 1, nullptr); });
    p([&] { inverse = gdi.CreateBitmap(nWidth, nHeight, 1, 1, nullptr); });
    p([&] { work = gdi.CreateCompatibleBitmap(hdcDest, nWidth, nHeight); });
    p([&] { save = gdi.CreateCompatibleBitmap(hdcDest, nWidth, nHeight); });
    gdi::Hgdiobj old_work = nullptr, old_save = nullptr, old_mask = nullptr, old_inverse = nullptr;
    p([&] { old_work = gdi.SelectObject(work_dc, work); });
    p([&] { old_save = gdi.SelectObject(save_dc, save); });
    p([&] { old_mask = gdi.SelectObject(mask_dc, mask); });
    p([&] { old_inverse = gdi.SelectObject(inverse_dc, inverse); });

    p([&] { gdi.BitBlt(save_dc, 0, 0, nWidth, nHeight, hdcSrc, xSrc, ySrc, SRCCOPY); });
    // The mask: white where the source shows the key colour, black elsewhere.
    p([&] { gdi.SetBkColor(hdcSrc, key); });
    p([&] { gdi.BitBlt(mask_dc, 0, 0, nWidth, nHeight, hdcSrc, xSrc, ySrc, SRCCOPY); });
    p([&] { gdi.SetBkColor(hdcSrc, 0xFFFFFF); });
    p([&] { gdi.BitBlt(inverse_dc, 0, 0, nWidth, nHeight, mask_dc, 0, 0, NOTSRCCOPY); });
    // The destination with a black hole where the picture goes, the picture black where
    // the key colour was, the two ORed together.
    p([&] { gdi.BitBlt(work_dc, 0, 0, nWidth, nHeight, hdcDest, xDest, yDest, SRCCOPY); });
    p([&] { gdi.BitBlt(work_dc, 0, 0, nWidth, nHeight, mask_dc, 0, 0, SRCAND); });
    p([&] { gdi.BitBlt(hdcSrc, xSrc, ySrc, nWidth, nHeight, inverse_dc, 0, 0, SRCAND); });
    p([&] { gdi.BitBlt(work_dc, 0, 0, nWidth, nHeight, hdcSrc, xSrc, ySrc, SRCPAINT); });
    p([&] { gdi.BitBlt(hdcDest, xDest, yDest, nWidth, nHeight, work_dc, 0, 0, SRCCOPY); });
    p([&] { gdi.BitBlt(hdcSrc, xSrc, ySrc, nWidth, nHeight, save_dc, 0, 0, SRCCOPY); });

    p([&] { gdi.SetBkColor(hdcSrc, old_src_color); });
    p([&] { gdi.SelectObject(save_dc, old_save); });
    p([&] { gdi.SelectObject(work_dc, old_work); });
    p([&] { gdi.SelectObject(mask_dc, old_mask); });
    p([&] { gdi.SelectObject(inverse_dc, old_inverse); });
    p([&] { gdi.DeleteObject(save); });
    p([&] { gdi.DeleteObject(mask); });
    p([&] { gdi.DeleteObject(inverse); });
    p([&] { gdi.DeleteObject(work); });
    p([&] { gdi.DeleteDC(save_dc); });
    p([&] { gdi.DeleteDC(mask_dc); });
    p([&] { gdi.DeleteDC(inverse_dc); });
    p([&] { gdi.DeleteDC(work_dc); });
}

}  // namespace sheenwork
