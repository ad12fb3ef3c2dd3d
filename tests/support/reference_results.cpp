#include "support/reference_results.h"

#include <cstdlib>
#include <fstream>

namespace sheenwork::testing {

const char kHowToMake[] =
    "Run `tests/reference/run.sh <build-dir>` (or `make reference`) to draw the scenes on "
    "real GDI under Wine; it needs wine and mingw-w64.";

// The layout the reference runner writes (little-endian): "SWREF02\n", a uint32 count,
// then per scene its name (a uint32 length and the bytes), uint32 width and height, the
// pixels (uint32 0x00BBGGRR, rows from the top), a uint32 count and the int32 numbers.
Results LoadResults(const std::string& file_name) {
    Results r;
    const char* dir = std::getenv("SHEENWORK_REFERENCE_DIR");
    const std::string path = std::string(dir != nullptr ? dir : "") + "/" + file_name;
    std::ifstream in(path, std::ios::binary);
    const auto u32 = [&in](std::uint32_t limit = ~0u) {
        unsigned char b[4] = {};
        in.read(reinterpret_cast<char*>(b), 4);
        const std::uint32_t v = b[0] | b[1] << 8 | b[2] << 16 | std::uint32_t{b[3]} << 24;
        if (v > limit) in.setstate(std::ios::failbit);
        return in ? v : 0;
    };
    char magic[8] = {};
    if (dir == nullptr || !in.read(magic, 8) || std::string(magic, 8) != "SWREF02\n") {
        r.error = (dir == nullptr ? std::string("SHEENWORK_REFERENCE_DIR is not set")
                                  : path + " is missing or of another version") +
                  ". " + kHowToMake;
        return r;
    }
    const std::uint32_t count = u32();
    for (std::uint32_t i = 0; i < count && in; ++i) {
        Image img;
        img.name.resize(u32(1000));
        in.read(img.name.data(), static_cast<std::streamsize>(img.name.size()));
        img.width = static_cast<int>(u32(100000));
        img.height = static_cast<int>(u32(100000));
        img.pixels.resize(static_cast<std::size_t>(img.width) * img.height);
        for (auto& p : img.pixels) p = u32();
        img.values.resize(u32(100000));
        for (auto& v : img.values) v = static_cast<std::int32_t>(u32());
        if (!in) break;
        r.by_name[img.name] = r.images.size();
        r.images.push_back(std::move(img));
    }
    if (r.images.size() != count) r.error = path + " is truncated. " + kHowToMake;
    return r;
}

}  // namespace sheenwork::testing
