#include <sheenwork/gdi/gdi.h>

#include <atomic>
#include <cstddef>
#include <vector>

namespace sheenwork::gdi {

Gdi::Gdi() noexcept {
    static std::atomic<std::uint64_t> last{0};
    serial_ = last.fetch_add(1, std::memory_order_relaxed) + 1;
}

int Gdi::PutPixels(Hdc dc, const ColorRef* pixels, int width, int height) {
    if (pixels == nullptr || width <= 0 || height <= 0) return 0;
    // A DIB pixel holds blue, green, red and an unused byte, in that order in memory.
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint32_t> bits(n);
    for (std::size_t i = 0; i < n; ++i) {
        const ColorRef c = pixels[i];
        bits[i] = ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }
    BitmapInfoHeader info;
    info.biWidth = width;
    info.biHeight = -height;
    info.biBitCount = 32;
    info.biSizeImage = static_cast<std::uint32_t>(n * sizeof(std::uint32_t));
    return StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, bits.data(), &info,
                         DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace sheenwork::gdi
