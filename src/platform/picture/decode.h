// The decoders behind LoadPicture. Each takes the whole file in memory and returns the
// picture's straight ARGB pixels, or throws BadPicture with a sentence saying what is
// wrong; load.cpp turns that into the host's run-time error naming the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace sheenwork::picture::detail {

using Bytes = std::span<const std::uint8_t>;

struct BadPicture : std::runtime_error {
    using std::runtime_error::runtime_error;
};
[[noreturn]] void Fail(const std::string& what);

// Decoded pixels: 0xAARRGGBB, not premultiplied, rows from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

// Refuses sizes beyond the limits of load.h, before anything is allocated.
void CheckSize(std::int64_t width, std::int64_t height, const char* what);

// Little-endian reads that refuse to step outside the data.
class Reader {
public:
    explicit Reader(Bytes data) : data_(data) {}
    std::size_t size() const { return data_.size(); }
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= data_.size() && count <= data_.size() - offset;
    }
    void Need(std::size_t offset, std::size_t count, const char* what) const;
    std::uint8_t U8(std::size_t at) const;
    std::uint16_t U16(std::size_t at) const;
    std::uint32_t U32(std::size_t at) const;
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
    Bytes Slice(std::size_t offset, std::size_t count, const char* what) const;

private:
    Bytes data_;
};

// A DIB as BMP files and icon entries hold it. `data` starts at the info header; for a
// BMP file, `pixel_offset` is where bfOffBits puts the pixel data counted from the
// info header (for icons: 0, the data follows the palette).
struct DibSource {
    Bytes data;
    std::size_t pixel_offset = 0;
    bool icon = false;  // biHeight counts colour rows and AND-mask rows together
};
Pixels DecodeDib(const DibSource& source);

Pixels DecodeBmpFile(Bytes file);
Pixels DecodeIcon(Bytes file);
Pixels DecodePng(Bytes file);
Pixels DecodeJpeg(Bytes file);
Pixels DecodeGif(Bytes file);

bool IsPng(Bytes file);

}  // namespace sheenwork::picture::detail
