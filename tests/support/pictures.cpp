#include "support/pictures.h"

#include <cstdio>
#include <filesystem>

namespace sheenwork::testing {

png::Image Magnified(const std::vector<gdi::ColorRef>& pixels, int width, int height, int scale) {
    png::Image out{width * scale, height * scale, {}};
    for (int y = 0; y < height * scale; ++y)
        for (int x = 0; x < width * scale; ++x)
            out.pixels.push_back(pixels[static_cast<std::size_t>(y / scale) * width + x / scale]);
    return out;
}

::testing::AssertionResult SamePicture(const png::Image& got, const png::Image& want,
                                       const std::string& what) {
    if (got.width == want.width && got.height == want.height && got.pixels == want.pixels)
        return ::testing::AssertionSuccess();
    std::filesystem::create_directories(SHEENWORK_TEST_OUTPUT_DIR);
    std::string file = what;
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
    const std::string base = std::string(SHEENWORK_TEST_OUTPUT_DIR) + "/" + file;
    png::Write(base + "-got.png", got);
    png::Write(base + "-want.png", want);
    int differ = 0;
    std::string first;  // the first differing pixels, as "(x, y) got BBGGRR want BBGGRR"
    if (got.pixels.size() == want.pixels.size()) {
        // The differing pixels red over a faded copy of the wanted picture.
        png::Image diff = want;
        for (std::size_t i = 0; i < diff.pixels.size(); ++i) {
            const gdi::ColorRef w = want.pixels[i], g = got.pixels[i];
            const unsigned faded = 192 + (gdi::RedOf(w) + gdi::GreenOf(w) + gdi::BlueOf(w)) / 12;
            diff.pixels[i] = w != g ? 0x0000FF : gdi::Rgb(faded, faded, faded);
            char line[64];
            std::snprintf(line, sizeof line, "\n  (%d, %d) got %06X want %06X",
                          static_cast<int>(i % static_cast<std::size_t>(want.width)),
                          static_cast<int>(i / static_cast<std::size_t>(want.width)), g, w);
            if (w != g && ++differ <= 8) first += line;
        }
        png::Write(base + "-diff.png", diff);
    }
    return ::testing::AssertionFailure()
           << what << ": " << differ << " pixels differ (" << got.width << "x" << got.height
           << " against " << want.width << "x" << want.height << "), see " << base << "-*.png"
           << first;
}

}  // namespace sheenwork::testing
