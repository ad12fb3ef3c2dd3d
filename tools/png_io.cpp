#include "png_io.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace sheenwork::png {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* text = static_cast<std::string*>(png_get_error_ptr(png));
    *text = message;
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

// zlib's memory level for an image of `raw` bytes (rows with their filter bytes): its hash
// table holds 2^(level + 7) entries and is cleared before the first byte is compressed,
// so a small picture (a button: a few kilobytes) gets a table about its own size instead
// of the usual 64 kB, which cost the tool more to clear than the picture to compress.
int MemoryLevel(std::size_t raw) {
    const int bits = static_cast<int>(std::bit_width(raw));
    return std::clamp(bits - 9, 1, 8);
}

// zlib's window for the same image: the window and its table of earlier matches (twice
// its size again) fill as the bytes go through, so a window of an eighth of the picture
// (a few rows of a button, down to zlib's least, 512 bytes) touches one page of memory
// where a window of the whole picture touched five. Once the rows are filtered, matches
// further back than a few rows are rare: the files of the gallery grow by about 1%.
int WindowBits(std::size_t raw) {
    const int bits = static_cast<int>(std::bit_width(raw));
    return std::clamp(bits - 3, 9, 15);
}

}  // namespace

void Write(const std::string& path, const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
        throw std::runtime_error(path + ": image has no pixels or a wrong pixel count");
    const std::string temp = path + ".part";
    std::string error;
    {
        // Never through a link someone left at the temporary's name.
        const int fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
        File file(fd >= 0 ? ::fdopen(fd, "wb") : nullptr);
        if (!file) {
            const std::string why = std::strerror(errno);
            if (fd >= 0) ::close(fd);
            throw std::runtime_error(path + ": cannot be created: " + why);
        }
        png_structp png =
            png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnError, OnWarning);
        png_infop info = png ? png_create_info_struct(png) : nullptr;
        std::vector<png_byte> row(static_cast<std::size_t>(image.width) * 3);
        volatile bool failed = png == nullptr || info == nullptr;
        if (!failed && setjmp(png_jmpbuf(png)) == 0) {
            png_init_io(png, file.get());
            const std::size_t raw = (static_cast<std::size_t>(image.width) * 3 + 1) * image.height;
            png_set_compression_mem_level(png, MemoryLevel(raw));
            png_set_compression_window_bits(png, WindowBits(raw));
            png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB,
                         PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_write_info(png, info);
            for (int y = 0; y < image.height; ++y) {
                for (int x = 0; x < image.width; ++x) {
                    const std::uint32_t c =
                        image.pixels[static_cast<std::size_t>(y) * image.width + x];
                    row[x * 3 + 0] = c & 0xFF;
                    row[x * 3 + 1] = (c >> 8) & 0xFF;
                    row[x * 3 + 2] = (c >> 16) & 0xFF;
                }
                png_write_row(png, row.data());
            }
            png_write_end(png, nullptr);
        } else {
            failed = true;
        }
        png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
        if (failed || std::fflush(file.get()) != 0) {
            file.reset();
            std::filesystem::remove(temp);
            throw std::runtime_error(path + ": cannot be written" +
                                     (error.empty() ? "" : ": " + error));
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp);
        throw std::runtime_error(path + ": cannot be replaced: " + ec.message());
    }
}

Image Read(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) throw std::runtime_error(path + ": cannot be opened: " + std::strerror(errno));
    png_byte signature[8] = {};
    if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0)
        throw std::runtime_error(path + ": not a PNG file");
    std::string error;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_read_struct(png ? &png : nullptr, nullptr, nullptr);
        throw std::runtime_error(path + ": out of memory");
    }
    Image image;
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error(path + ": broken PNG: " + error);
    }
    png_init_io(png, file.get());
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(image.width) * 3)
        png_error(png, "unexpected row layout");
    std::vector<png_byte> data(static_cast<std::size_t>(image.width) * 3 * image.height);
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
        rows[y] = data.data() + static_cast<std::size_t>(y) * image.width * 3;
    png_read_image(png, rows.data());
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = data[i * 3] | (data[i * 3 + 1] << 8) | (data[i * 3 + 2] << 16);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
}

}  // namespace sheenwork::png
