// Pictures a test compares with the one it wants (the headless runtime's, a golden): a
// surface's pixels as a screen shows them at a scale, and an assertion that writes both
// pictures where they differ.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "png_io.h"

namespace sheenwork::testing {

// Each pixel of a width x height picture (0x00BBGGRR, rows from the top) as a
// scale x scale block.
png::Image Magnified(const std::vector<gdi::ColorRef>& pixels, int width, int height, int scale);

// Whether `got` is `want` pixel for pixel; if not, both go to the test output folder as
// <what>-got.png and <what>-want.png (with <what>-diff.png, the differing pixels red,
// where their sizes agree) and the failure says how many pixels differ, and which first.
::testing::AssertionResult SamePicture(const png::Image& got, const png::Image& want,
                                       const std::string& what);

}  // namespace sheenwork::testing
