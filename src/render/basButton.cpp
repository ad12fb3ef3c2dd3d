#include "render/basButton.h"

#include <sheenwork/util/error.h>

#include <cstdint>
#include <vector>

namespace sheenwork {

namespace {

constexpr char kModule[] = "basButton";

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
        const auto v = static_cast<std::uint8_t>(vb::RoundHalfEven(value));
        value = value + step;
        return v;
    }
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

        gdi::BitmapInfoHeader header;
        std::vector<std::uint8_t> bits;
        auto fill = [&](vb::Long pixels, double steps) {
            Channel r{r1, r2, steps}, g{g1, g2, steps}, b{b1, b2, steps};
            bits.resize(static_cast<std::size_t>(pixels) * 3);
            for (std::size_t k = 0; k < bits.size(); k += 3) {
                bits[k] = b.Take();
                bits[k + 1] = g.Take();
                bits[k + 2] = r.Take();
            }
        };

        if (lDirection == 1) {
            // Four pixels per row, so rows need no padding (12 bytes each).
            if (vb::Sub(vb::Mul(12, height), 1) < 0) return;
            const vb::Long n = vb::Mul(4, height);
            header.biWidth = 4;
            header.biHeight = height;  // positive: the first row in memory is the bottom one
            header.biSizeImage = static_cast<std::uint32_t>(height);
            fill(n, static_cast<double>(height) * 4.0);
            gdi.StretchDIBits(hDC, rc.left, rc.top, width, height, 0, 0, 4, height, bits.data(),
                              &header, gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
        } else if (lDirection == 0) {
            if (vb::Sub(vb::Mul(3, width), 1) < 0) return;
            header.biWidth = width;
            header.biHeight = 1;
            header.biSizeImage = static_cast<std::uint32_t>(width);
            fill(width, static_cast<double>(width));
            // A one-row DIB needs its row padded to four bytes.
            bits.resize((bits.size() + 3) & ~std::size_t{3});
            gdi.StretchDIBits(hDC, rc.left, rc.top, width, height, 0, 0, width, 1, bits.data(),
                              &header, gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
        }
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
