#include <sheenwork/vb/color.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/syscolors.h>

#include <algorithm>

namespace sheenwork::vb {
namespace {

constexpr long kErrInvalidCall = 5;

// The high-byte rules, shared by TranslateColor (which raises) and IsValidColor.
bool Translate(OleColor color, std::uint32_t& out) {
    switch (color >> 24) {
        case 0x00: out = color; return true;
        case 0x02: out = color & 0x00FFFFFFu; return true;
        case 0x80:
            if (SystemColorIndex(color) >= kSysColorCount) return false;
            out = SysColor(SystemColorIndex(color));
            return true;
        default: return false;
    }
}

}  // namespace

std::uint32_t TranslateColor(OleColor color) {
    std::uint32_t out = 0;
    if (!Translate(color, out)) Raise(kErrInvalidCall);
    return out;
}

bool IsValidColor(OleColor color) noexcept {
    std::uint32_t out = 0;
    return Translate(color, out);
}

OleColor Rgb(int red, int green, int blue) {
    if (red < 0 || green < 0 || blue < 0) Raise(kErrInvalidCall);
    const auto c = [](int v) { return static_cast<OleColor>(std::min(v, 255)); };
    return c(red) | (c(green) << 8) | (c(blue) << 16);
}

}  // namespace sheenwork::vb
