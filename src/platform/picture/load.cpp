// LoadPicture: reads the file, recognises the format by its first bytes and hands it to
// its decoder; every refusal becomes the host's run-time error with the file's name.
#include <sheenwork/picture/load.h>
#include <sheenwork/vb/error.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#include "decode.h"

namespace sheenwork::picture {
namespace detail {

void Fail(const std::string& what) { throw BadPicture(what); }

void CheckSize(std::int64_t width, std::int64_t height, const char* what) {
    if (width <= 0 || height <= 0)
        Fail(std::string(what) + " is " + std::to_string(width) + " x " + std::to_string(height) +
             " pixels");
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        Fail(std::string(what) + " claims " + std::to_string(width) + " x " +
             std::to_string(height) + " pixels, more than the " + std::to_string(kMaxSide) +
             " per side and " + std::to_string(kMaxPixels) + " in all that are loaded");
}

void Reader::Need(std::size_t offset, std::size_t count, const char* what) const {
    if (!Has(offset, count))
        Fail(std::string(what) + " (" + std::to_string(count) + " bytes at offset " +
             std::to_string(offset) + ") runs past the end of the data (" +
             std::to_string(data_.size()) + " bytes)");
}
std::uint8_t Reader::U8(std::size_t at) const {
    Need(at, 1, "a byte");
    return data_[at];
}
std::uint16_t Reader::U16(std::size_t at) const {
    Need(at, 2, "a 16-bit field");
    return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8));
}
std::uint32_t Reader::U32(std::size_t at) const {
    Need(at, 4, "a 32-bit field");
    return static_cast<std::uint32_t>(data_[at]) |
           (static_cast<std::uint32_t>(data_[at + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[at + 2]) << 16) |
           (static_cast<std::uint32_t>(data_[at + 3]) << 24);
}
Bytes Reader::Slice(std::size_t offset, std::size_t count, const char* what) const {
    Need(offset, count, what);
    return data_.subspan(offset, count);
}

bool IsPng(Bytes file) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return file.size() >= 8 && std::memcmp(file.data(), kSignature, 8) == 0;
}

}  // namespace detail

namespace {

using detail::Bytes;

[[noreturn]] void Invalid(std::string_view name, const std::string& what) {
    vb::Raise(481, {}, "Invalid picture: " + std::string(name) + ": " + what);
}

bool Starts(Bytes b, std::initializer_list<std::uint8_t> prefix) {
    if (b.size() < prefix.size()) return false;
    std::size_t i = 0;
    for (std::uint8_t p : prefix)
        if (b[i++] != p) return false;
    return true;
}

detail::Pixels Decode(Bytes b, vb::PictureType& type) {
    type = vb::PictureType::Bitmap;
    if (Starts(b, {'B', 'M'})) return detail::DecodeBmpFile(b);
    if (Starts(b, {'G', 'I', 'F', '8'})) return detail::DecodeGif(b);
    if (Starts(b, {0xFF, 0xD8, 0xFF})) return detail::DecodeJpeg(b);
    if (detail::IsPng(b)) return detail::DecodePng(b);
    // Icons (type 1) and cursors (type 2), both shown as icons.
    if (Starts(b, {0, 0, 1, 0}) || Starts(b, {0, 0, 2, 0})) {
        type = vb::PictureType::Icon;
        return detail::DecodeIcon(b);
    }
    detail::Fail("not a BMP, ICO, CUR, GIF, JPEG or PNG file");
}

}  // namespace

std::shared_ptr<vb::StdPicture> LoadPictureFromMemory(std::span<const std::uint8_t> bytes,
                                                      std::string_view name) {
    if (bytes.empty())
        return std::make_shared<vb::StdPicture>(0, 0, std::vector<std::uint32_t>{},
                                                vb::PictureType::None);
    try {
        vb::PictureType type;
        detail::Pixels p = Decode(bytes, type);
        return std::make_shared<vb::StdPicture>(p.width, p.height, std::move(p.argb), type);
    } catch (const detail::BadPicture& e) {
        Invalid(name, e.what());
    } catch (const std::bad_alloc&) {
        vb::Raise(7, {}, "Out of memory: " + std::string(name));
    }
}

std::shared_ptr<vb::StdPicture> LoadPicture(const std::string& path) {
    if (path.empty())
        return std::make_shared<vb::StdPicture>(0, 0, std::vector<std::uint32_t>{},
                                                vb::PictureType::None);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        vb::Raise(53, {}, "File not found: " + path);
    if (ec) vb::Raise(75, {}, "Path/File access error: " + path + ": " + ec.message());
    // A device or a pipe could block or never end: a picture is a file.
    if (status.type() == std::filesystem::file_type::directory)
        vb::Raise(75, {}, "Path/File access error: " + path + ": it is a folder");
    if (status.type() != std::filesystem::file_type::regular)
        vb::Raise(75, {}, "Path/File access error: " + path + ": it is not a regular file");
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        vb::Raise(75, {}, "Path/File access error: " + path + ": " + std::strerror(errno));
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    bool too_big = false;
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0) break;
        if (static_cast<std::int64_t>(bytes.size() + n) > kMaxFileBytes) {
            too_big = true;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) vb::Raise(75, {}, "Path/File access error: " + path + ": read failed");
    if (too_big)
        Invalid(path,
                "larger than the " + std::to_string(kMaxFileBytes >> 20) + " MiB that are read");
    // An empty file is no picture, unlike an empty path.
    if (bytes.empty()) Invalid(path, "the file is empty");
    auto picture = LoadPictureFromMemory(bytes, path);
    // Absolute, so that a form saved from another working directory still finds it.
    picture->SourceFile(std::filesystem::absolute(path, ec).lexically_normal().string());
    return picture;
}

}  // namespace sheenwork::picture
