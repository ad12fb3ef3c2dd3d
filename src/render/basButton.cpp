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

}  // namespace sheenwork
