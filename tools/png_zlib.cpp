// PNG out through zlib alone, for the builds that have no libpng (Windows): an 8-bit RGB
// image, every row unfiltered, the data deflated whole. Reading PNGs stays with libpng.
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "png_io.h"

namespace sheenwork::png {
namespace {

void Put32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

// A chunk: length, type, data, and the CRC of type and data.
void Chunk(std::string& out, const char* type, const std::string& data) {
    Put32(out, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    Put32(out, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                static_cast<uInt>(body.size()))));
}

}  // namespace

void Write(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
        throw std::runtime_error(path + ": image has no pixels or a wrong pixel count");
    std::string raw;
    raw.reserve(static_cast<std::size_t>(image.width * 3 + 1) * image.height);
    for (int y = 0; y < image.height; ++y) {
        raw += '\0';  // filter type None
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t c = image.pixels[static_cast<std::size_t>(y) * image.width + x];
            raw += static_cast<char>(c & 0xFF);
            raw += static_cast<char>((c >> 8) & 0xFF);
            raw += static_cast<char>((c >> 16) & 0xFF);
        }
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packed_size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                  Z_BEST_SPEED) != Z_OK)
        throw std::runtime_error(path + ": cannot be compressed");
    packed.resize(packed_size);

    std::string header;
    Put32(header, static_cast<std::uint32_t>(image.width));
    Put32(header, static_cast<std::uint32_t>(image.height));
    header +=
        std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    std::string file("\x89PNG\r\n\x1a\n", 8);
    Chunk(file, "IHDR", header);
    Chunk(file, "IDAT", packed);
    Chunk(file, "IEND", "");

    // The file appears whole or not at all.
    const std::string temp = path + ".part";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) throw std::runtime_error(path + ": cannot be created");
    const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    if (std::fclose(f) != 0 || !written) {
        std::filesystem::remove(temp);
        throw std::runtime_error(path + ": cannot be written");
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp);
        throw std::runtime_error(path + ": cannot be replaced: " + ec.message());
    }
}

}  // namespace sheenwork::png
