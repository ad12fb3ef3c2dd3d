// The pixels real GDI drew under Wine (tests/reference/run.sh writes them), read back
// for the tests that compare them with ours, and the reports of a mismatch.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scenes/scenes.h"

namespace sheenwork::testing {

using gdi::ColorRef;

struct Image {
    std::string name;
    int width = 0, height = 0;
    std::vector<ColorRef> pixels;
    std::vector<std::int32_t> values;  // the numbers a text scene reports
    ColorRef At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct Results {
    std::string error;  // empty when the file was read
    std::vector<Image> images;
    std::map<std::string, std::size_t> by_name;
};

extern const char kHowToMake[];

// Reads $SHEENWORK_REFERENCE_DIR/<file_name>; on any problem `error` says what and how
// to make the file.
Results LoadResults(const std::string& file_name);

std::string Hex(ColorRef c);
// Both bitmaps as letters side by side, one letter per colour, with the legend (small
// bitmaps only).
std::string Dump(int w, int h, const std::vector<ColorRef>& ours,
                 const std::vector<ColorRef>& wine);
// A report of every pixel where `ours` and `wine` differ, headed by `why`.
std::string Differences(const scenes::Scene& s, const std::vector<ColorRef>& ours,
                        const std::vector<ColorRef>& wine, const std::string& why);

}  // namespace sheenwork::testing
