#include <sheenwork/vb/syscolors.h>

#include <array>

namespace sheenwork::vb {
namespace {

constexpr std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

// Windows XP, Luna theme, "Default (blue)" colour scheme.
constexpr std::array<std::uint32_t, kSysColorCount> kLuna = {
    Rgb(212, 208, 200),  // 0  scroll bar
    Rgb(0, 78, 152),     // 1  desktop
    Rgb(0, 84, 227),     // 2  active caption
    Rgb(122, 150, 223),  // 3  inactive caption
    Rgb(255, 255, 255),  // 4  menu
    Rgb(255, 255, 255),  // 5  window
    Rgb(0, 0, 0),        // 6  window frame
    Rgb(0, 0, 0),        // 7  menu text
    Rgb(0, 0, 0),        // 8  window text
    Rgb(255, 255, 255),  // 9  caption text
    Rgb(212, 208, 200),  // 10 active border
    Rgb(212, 208, 200),  // 11 inactive border
    Rgb(128, 128, 128),  // 12 application workspace
    Rgb(49, 106, 197),   // 13 highlight
    Rgb(255, 255, 255),  // 14 highlight text
    Rgb(236, 233, 216),  // 15 button face
    Rgb(172, 168, 153),  // 16 button shadow
    Rgb(172, 168, 153),  // 17 grey text
    Rgb(0, 0, 0),        // 18 button text
    Rgb(216, 228, 248),  // 19 inactive caption text
    Rgb(255, 255, 255),  // 20 button highlight
    Rgb(113, 111, 100),  // 21 3-D dark shadow
    Rgb(241, 239, 226),  // 22 3-D light
    Rgb(0, 0, 0),        // 23 tooltip text
    Rgb(255, 255, 225),  // 24 tooltip background
    Rgb(181, 181, 181),  // 25 (unused slot)
    Rgb(0, 0, 128),      // 26 hot-tracked item
    Rgb(61, 149, 255),   // 27 active caption gradient
    Rgb(157, 185, 235),  // 28 inactive caption gradient
    Rgb(49, 106, 197),   // 29 menu highlight
    Rgb(236, 233, 216),  // 30 menu bar
};

std::array<std::uint32_t, kSysColorCount>& Table() {
    static std::array<std::uint32_t, kSysColorCount> table = kLuna;
    return table;
}

}  // namespace

std::uint32_t SysColor(int index) {
    if (index < 0 || index >= kSysColorCount) return 0;
    return Table()[static_cast<std::size_t>(index)];
}

void SetSysColor(int index, std::uint32_t color) {
    if (index < 0 || index >= kSysColorCount) return;
    Table()[static_cast<std::size_t>(index)] = color & 0x00FFFFFFu;
}

void ResetSysColors() { Table() = kLuna; }

}  // namespace sheenwork::vb
