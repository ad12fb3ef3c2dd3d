// The host's picture object: pixels with alpha and a natural size. Pictures are shared
// by reference (std::shared_ptr); no picture is a null reference.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sheenwork::vb {

enum class PictureType { None = 0, Bitmap = 1, Icon = 3 };

class StdPicture {
public:
    // A width x height picture; `argb` holds straight (not premultiplied) 0xAARRGGBB
    // pixels, rows from the top.
    StdPicture(int width, int height, std::vector<std::uint32_t> argb,
               PictureType type = PictureType::Bitmap);

    int PixelWidth() const { return width_; }
    int PixelHeight() const { return height_; }
    // The host reports sizes in HIMETRIC (0.01 mm): pixels * 2540 / 96, rounded.
    long Width() const;
    long Height() const;
    PictureType Type() const { return type_; }
    const std::vector<std::uint32_t>& Pixels() const { return argb_; }
    std::uint32_t Pixel(int x, int y) const {
        return argb_[static_cast<std::size_t>(y) * width_ + x];
    }
    // Whether some pixel is neither clear nor opaque: the picture has soft edges of its
    // own (a PNG's alpha channel), not only the clear and opaque pixels of a bitmap or of
    // an icon's mask.
    bool SoftAlpha() const { return soft_alpha_; }

    // The file the picture was loaded from, as an absolute path; "" for a picture made
    // in memory. A saved form refers to its pictures by these paths.
    const std::string& SourceFile() const { return source_file_; }
    void SourceFile(std::string path) { source_file_ = std::move(path); }

private:
    int width_;
    int height_;
    std::vector<std::uint32_t> argb_;
    PictureType type_;
    bool soft_alpha_ = false;
    std::string source_file_;
};

}  // namespace sheenwork::vb
