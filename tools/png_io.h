// PNG in and out for bitmaps held as 0x00BBGGRR pixels (what gdi::Gdi::ReadBitmap gives).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sheenwork::png {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00BBGGRR, row by row from the top
};

// Writes an opaque RGB PNG. The file appears whole or not at all: it is written next to
// the target and renamed over it. Throws std::runtime_error naming the file on failure.
void Write(const std::string& path, const Image& image);

// Reads any PNG libpng understands into opaque pixels (alpha is dropped). Throws
// std::runtime_error naming the file and what is wrong.
Image Read(const std::string& path);

}  // namespace sheenwork::png
