// Golden pictures of the button scenes: one sheet per group (a look and scheme), its
// states in rows and its sizes in columns, compared pixel for pixel with
// tests/data/golden/<group>.png. A mismatch writes golden-<group>-got.png,
// -want.png and -diff.png (differing pixels red over a faded golden) to the build's
// test-output folder. SHEENWORK_UPDATE_GOLDEN=1 rewrites the goldens instead, after a
// change whose new pixels have been checked (the real-GDI comparison holds them too).
#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "button_scenes/button_scenes.h"
#include "png_io.h"
#include "support/data.h"
#include "support/pictures.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using gdi::ColorRef;
constexpr ColorRef kGap = 0x808080;
constexpr int kSpacing = 3;

struct Group {
    std::string name;
    std::vector<const scenes::Scene*> scenes;
};

std::vector<Group> Groups() {
    std::vector<Group> groups;
    std::map<std::string, std::size_t> index;
    for (const auto& s : scenes::ButtonScenes()) {
        const std::string g = scenes::ButtonSceneGroup(s.name);
        auto [it, added] = index.emplace(g, groups.size());
        if (added) groups.push_back({g, {}});
        groups[it->second].scenes.push_back(&s);
    }
    return groups;
}

// "<group>/<state>/<size>": the state and the size part.
std::string Part(const std::string& name, int which) {
    const auto a = name.find('/'), b = name.rfind('/');
    return which == 0 ? name.substr(a + 1, b - a - 1) : name.substr(b + 1);
}

png::Image Sheet(const Group& g) {
    std::vector<std::string> states, sizes;
    std::map<std::string, int> row_of, col_of, col_width, row_height;
    for (const auto* s : g.scenes) {
        const std::string st = Part(s->name, 0), sz = Part(s->name, 1);
        if (row_of.emplace(st, static_cast<int>(states.size())).second) states.push_back(st);
        if (col_of.emplace(sz, static_cast<int>(sizes.size())).second) sizes.push_back(sz);
        col_width[sz] = std::max(col_width[sz], s->width);
        row_height[st] = std::max(row_height[st], s->height);
    }
    std::vector<int> x0{kSpacing}, y0{kSpacing};
    for (const auto& sz : sizes) x0.push_back(x0.back() + col_width[sz] + kSpacing);
    for (const auto& st : states) y0.push_back(y0.back() + row_height[st] + kSpacing);
    png::Image sheet;
    sheet.width = x0.back();
    sheet.height = y0.back();
    sheet.pixels.assign(static_cast<std::size_t>(sheet.width) * sheet.height, kGap);
    auto raster = gdi::MakeRasterGdi();
    for (const auto* s : g.scenes) {
        const auto px = scenes::Render(*raster, *s).pixels;
        const int ox = x0[static_cast<std::size_t>(col_of[Part(s->name, 1)])];
        const int oy = y0[static_cast<std::size_t>(row_of[Part(s->name, 0)])];
        for (int y = 0; y < s->height; ++y)
            for (int x = 0; x < s->width; ++x)
                sheet.pixels[static_cast<std::size_t>(oy + y) * sheet.width + ox + x] =
                    px[static_cast<std::size_t>(y) * s->width + x];
    }
    return sheet;
}

class ButtonGolden : public ::testing::TestWithParam<std::size_t> {
protected:
    testing::RecordingServices services;
};

TEST_P(ButtonGolden, SheetMatchesItsGolden) {
    const Group g = Groups()[GetParam()];
    const png::Image actual = Sheet(g);
    const std::string golden_path = testing::DataPath("golden/" + g.name + ".png").string();
    const char* update = std::getenv("SHEENWORK_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        png::Write(golden_path, actual);
        GTEST_SKIP() << "rewrote " << golden_path;
    }
    ASSERT_TRUE(std::filesystem::exists(golden_path))
        << golden_path << " is missing; run the tests with SHEENWORK_UPDATE_GOLDEN=1 to make it";
    EXPECT_TRUE(testing::SamePicture(actual, png::Read(golden_path), "golden-" + g.name));
}

INSTANTIATE_TEST_SUITE_P(Groups, ButtonGolden, ::testing::Range<std::size_t>(0, Groups().size()),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                             std::string n = Groups()[info.param].name;
                             for (char& c : n)
                                 if (c == '-') c = '_';
                             return n;
                         });

}  // namespace
}  // namespace sheenwork
