#include <sheenwork/vb/error.h>
#include <sheenwork/vb/stdpicture.h>

#include <cmath>

namespace sheenwork::vb {

StdPicture::StdPicture(int width, int height, std::vector<std::uint32_t> argb, PictureType type)
    : width_(width), height_(height), argb_(std::move(argb)), type_(type) {
    if (width < 0 || height < 0 ||
        argb_.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        Raise(481);  // Invalid picture
}

long StdPicture::Width() const { return std::lround(width_ * 2540.0 / 96.0); }
long StdPicture::Height() const { return std::lround(height_ * 2540.0 / 96.0); }

}  // namespace sheenwork::vb
