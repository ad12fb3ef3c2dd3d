#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdfont.h>

#include <cmath>

namespace sheenwork::vb {

void StdFont::Size(double points) {
    // Currency: rounded to four decimals, halves to even; the host refuses sizes that
    // are not positive or beyond what a font can be.
    if (!(points > 0) || points > 2160) Raise(380);  // Invalid property value
    size_e4_ = static_cast<std::int64_t>(std::nearbyint(points * 10000.0));
}

int StdFont::PixelHeight(int dpi) const {
    // MulDiv rounds half away from zero.
    const double exact = Size() * dpi / 72.0;
    return static_cast<int>(std::floor(exact + 0.5));
}

}  // namespace sheenwork::vb
