#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdpicture.h>

#include <algorithm>
#include <cmath>

namespace sheenwork::vb {

StdPicture::StdPicture(int width, int height, std::vector<std::uint32_t> argb, PictureType type)
    : width_(width), height_(height), argb_(std::move(argb)), type_(type) {
    if (width < 0 || height < 0 ||
        argb_.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        Raise(481);  // Invalid picture
    soft_alpha_ = std::any_of(argb_.begin(), argb_.end(), [](std::uint32_t c) {
        const std::uint32_t alpha = c >> 24;
        return alpha != 0 && alpha != 0xFF;
    });
}

long StdPicture::Width() const { return std::lround(width_ * 2540.0 / 96.0); }
long StdPicture::Height() const { return std::lround(height_ * 2540.0 / 96.0); }

}  // namespace sheenwork::vb
