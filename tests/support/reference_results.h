// The pixels and numbers real GDI drew and reported under Wine (tests/reference/run.sh
// writes them), read back for the test that compares them with ours.
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
    std::vector<std::int32_t> values;  // the numbers the scene reports
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

}  // namespace sheenwork::testing
