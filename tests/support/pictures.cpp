#include "support/pictures.h"

#include <filesystem>

namespace sheenwork::testing {

png::Image Magnified(const std::vector<gdi::ColorRef>& pixels, int width, int height, int scale) {
    png::Image out{width * scale, height * scale, {}};
    for (int y = 0; y < height * scale; ++y)
        for (int x = 0; x < width * scale; ++x)
            out.pixels.push_back(pixels[static_cast<std::size_t>(y / scale) * width + x / scale]);
    return out;
}

::testing::AssertionResult SamePicture(const png::Image& shown, const png::Image& headless,
                                       const std::string& what) {
    if (shown.width == headless.width && shown.height == headless.height &&
        shown.pixels == headless.pixels)
        return ::testing::AssertionSuccess();
    std::filesystem::create_directories(SHEENWORK_TEST_OUTPUT_DIR);
    std::string file = what;
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
    const std::string base = std::string(SHEENWORK_TEST_OUTPUT_DIR) + "/" + file;
    png::Write(base + "-shown.png", shown);
    png::Write(base + "-headless.png", headless);
    int differ = 0;
    if (shown.pixels.size() == headless.pixels.size())
        for (std::size_t i = 0; i < shown.pixels.size(); ++i)
            differ += shown.pixels[i] != headless.pixels[i];
    return ::testing::AssertionFailure()
           << what << ": differs from the headless render (" << differ << " pixels; " << shown.width
           << "x" << shown.height << " against " << headless.width << "x" << headless.height
           << "), see " << base << "-*.png";
}

}  // namespace sheenwork::testing
