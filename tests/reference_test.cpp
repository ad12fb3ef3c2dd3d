// Our raster against real GDI: every scene of tests/data/scenes/gdi is drawn by our raster and
// compared pixel for pixel with what real GDI drew under Wine (tests/reference/run.sh
// writes those pixels to $SHEENWORK_REFERENCE_DIR/gdi_scenes.bin).
//
// A scene with a known_difference is held to that difference exactly: a named checker
// proves that every differing pixel is one the documented Wine behaviour explains and
// that our side follows the Windows rule.
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "scenes/scenes.h"
#include "support/reference_results.h"

namespace sheenwork::gdi {
namespace {

using scenes::Scene;
using testing::Differences;
using testing::Dump;
using testing::Hex;
using testing::Image;
using testing::kHowToMake;
using testing::Results;

const Results& Reference() {
    static const Results results = testing::LoadResults("gdi_scenes.bin");
    return results;
}

// --- the checkers ----------------------------------------------------------------
// Each returns an empty string when ours and Wine's pixels agree as it requires,
// otherwise what is wrong.

std::string CheckExact(const Scene& s, const std::vector<ColorRef>& ours,
                       const std::vector<ColorRef>& wine) {
    return ours == wine ? std::string() : Differences(s, ours, wine, "differs from real GDI");
}

// The 5 x 5 RoundRect corners. At each corner Wine puts the pen on the two pixels beside
// the corner's diagonal step, (1, 0) and (0, 1) from the corner, where we leave the
// sentinel; we put it on (1, 1), where Wine shows the interior (the brush, or the
// sentinel when hollow). Every other pixel must be equal.
std::string CheckRoundRectCorner(const Scene& s, const std::vector<ColorRef>& ours,
                                 const std::vector<ColorRef>& wine) {
    const int l = scenes::kRoundMargin, t = scenes::kRoundMargin;
    const int r = s.width - scenes::kRoundMargin - 1, b = s.height - scenes::kRoundMargin - 1;
    const int wine_pen[][2] = {{l + 1, t}, {l, t + 1}, {r - 1, t}, {r, t + 1},
                               {l + 1, b}, {l, b - 1}, {r - 1, b}, {r, b - 1}};
    const int our_pen[][2] = {{l + 1, t + 1}, {r - 1, t + 1}, {l + 1, b - 1}, {r - 1, b - 1}};
    auto index = [&](int x, int y) { return static_cast<std::size_t>(y) * s.width + x; };
    const ColorRef pen = wine[index(s.width / 2, t)];
    const ColorRef interior = wine[index(s.width / 2, s.height / 2)];
    if (ours[index(s.width / 2, t)] != pen || ours[index(s.width / 2, s.height / 2)] != interior)
        return Differences(s, ours, wine, "the pen or the interior differs at the middle");
    auto in = [](const auto& set, int x, int y) {
        for (auto& p : set)
            if (p[0] == x && p[1] == y) return true;
        return false;
    };
    // Our side follows the Windows corner whatever Wine does.
    for (auto& p : wine_pen)
        if (ours[index(p[0], p[1])] != scenes::kSentinel)
            return Differences(s, ours, wine, "we cover a pixel beside a corner's diagonal");
    for (auto& p : our_pen)
        if (ours[index(p[0], p[1])] != pen)
            return Differences(s, ours, wine, "we leave out a corner's diagonal pixel");
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const std::size_t i = index(x, y);
            if (ours[i] == wine[i]) continue;
            if (in(wine_pen, x, y)) {
                if (ours[i] != scenes::kSentinel || wine[i] != pen)
                    return Differences(
                        s, ours, wine,
                        "beside a corner, not Wine's pen over our untouched sentinel");
            } else if (in(our_pen, x, y)) {
                if (ours[i] != pen || wine[i] != interior)
                    return Differences(s, ours, wine,
                                       "on a corner's diagonal, not our pen over Wine's interior");
            } else {
                return Differences(s, ours, wine, "differs away from the 5 x 5 corner pixels");
            }
        }
    return {};
}

// The 4-column StretchDIBits scenes: ours must show source column floor(4x / w) (the
// Windows mapping). Wine shows column floor((4x + 1) / w) when stretching; when
// shrinking it sends source column c to destination column floor((w c + 1) / 4) and
// ANDs the columns that land together (the default BLACKONWHITE stretch mode).
ColorRef OurStretch(int x, int y, int w) {
    return scenes::StretchSource(scenes::kStretchColumnsCount * x / w, y);
}
ColorRef WineStretch(int x, int y, int w) {
    const int n = scenes::kStretchColumnsCount;
    if (w >= n) return scenes::StretchSource((n * x + 1) / w, y);
    ColorRef c = 0xFFFFFF;
    for (int col = 0; col < n; ++col)
        if ((w * col + 1) / n == x) c &= scenes::StretchSource(col, y);
    return c;
}
std::string CheckStretchColumns(const Scene& s, const std::vector<ColorRef>& ours,
                                const std::vector<ColorRef>& wine) {
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * s.width + x;
            if (ours[i] != OurStretch(x, y, s.width))
                return Differences(s, ours, wine,
                                   "ours at (" + std::to_string(x) + ", " + std::to_string(y) +
                                       ") is not source column floor(4x / w)");
            if (wine[i] != WineStretch(x, y, s.width))
                return Differences(s, ours, wine,
                                   "Wine at (" + std::to_string(x) + ", " + std::to_string(y) +
                                       ") does not follow its documented column mapping");
        }
    return {};
}

// Differences from Wine not yet resolved. Each scene listed must still differ, so that
// the entry goes as soon as the raster matches; every scene not listed must match.
const std::map<std::string, std::string>& OpenDifferences() {
    static const std::map<std::string, std::string> open = {};
    return open;
}

std::string Check(const Scene& s, const std::vector<ColorRef>& ours,
                  const std::vector<ColorRef>& wine) {
    if (auto it = OpenDifferences().find(s.name); it != OpenDifferences().end()) {
        if (ours == wine)
            return "scene " + s.name + " now matches real GDI; remove it from OpenDifferences";
        std::printf("open difference in %s: %s\n", s.name.c_str(), it->second.c_str());
        return {};
    }
    if (s.known_difference.empty()) return CheckExact(s, ours, wine);
    if (s.known_difference == scenes::kRoundRectCorner) return CheckRoundRectCorner(s, ours, wine);
    if (s.known_difference == scenes::kStretchColumns) return CheckStretchColumns(s, ours, wine);
    return "scene " + s.name + " names the unknown difference \"" + s.known_difference + "\"";
}

// --- the tests ---------------------------------------------------------------------

TEST(ReferenceGdiResults, CoverEveryScene) {
    const Results& ref = Reference();
    ASSERT_TRUE(ref.error.empty()) << ref.error;
    const auto& all = scenes::AllScenes();
    EXPECT_GE(all.size(), 150u);
    ASSERT_EQ(ref.images.size(), all.size())
        << "the results file is from another set of scenes. " << kHowToMake;
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(ref.images[i].name, all[i].name) << "scene " << i << ". " << kHowToMake;
        EXPECT_EQ(ref.images[i].width, all[i].width) << all[i].name;
        EXPECT_EQ(ref.images[i].height, all[i].height) << all[i].name;
    }
}

TEST(ReferenceGdiResults, SceneNamesAreUnique) {
    std::map<std::string, int> seen;
    for (const Scene& s : scenes::AllScenes()) EXPECT_EQ(++seen[s.name], 1) << s.name;
}

struct ReferenceGdi : ::testing::TestWithParam<std::size_t> {};

TEST_P(ReferenceGdi, MatchesRealGdi) {
    const Scene& scene = scenes::AllScenes()[GetParam()];
    const Results& ref = Reference();
    ASSERT_TRUE(ref.error.empty()) << ref.error;
    auto it = ref.by_name.find(scene.name);
    ASSERT_NE(it, ref.by_name.end())
        << "no real-GDI pixels for " << scene.name << ". " << kHowToMake;
    const Image& wine = ref.images[it->second];
    ASSERT_EQ(wine.width, scene.width);
    ASSERT_EQ(wine.height, scene.height);

    vb::ResetSysColors();  // the Luna table the reference runner gave Wine
    auto raster = MakeRasterGdi();
    const LiveObjects before = RasterLiveObjects(*raster);
    const std::vector<ColorRef> ours = scenes::RenderScene(*raster, scene);
    EXPECT_EQ(RasterLiveObjects(*raster), before) << scene.name << " leaves GDI objects behind";
    ASSERT_EQ(ours.size(), wine.pixels.size());
    const std::string problem = Check(scene, ours, wine.pixels);
    EXPECT_TRUE(problem.empty()) << problem;
}

std::string TestName(const ::testing::TestParamInfo<std::size_t>& info) {
    // gtest names allow only letters, digits and '_'; '+' becomes 'p' so that "dx+8"
    // and "dx-8" stay apart.
    std::string name = scenes::AllScenes()[info.param].name;
    for (char& c : name)
        if (c == '+')
            c = 'p';
        else if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Scenes, ReferenceGdi,
                         ::testing::Range<std::size_t>(0, scenes::AllScenes().size()), TestName);

// The checkers themselves: they accept exactly the documented difference.
Scene Named(const char* known, int w, int h) {
    Scene s;
    s.name = "synthetic";
    s.width = w;
    s.height = h;
    s.known_difference = known;
    return s;
}

TEST(ReferenceGdiCheckers, RoundRectCornerAcceptsOnlyWinesExtraCornerPixels) {
    const Scene s = Named(scenes::kRoundRectCorner, 12, 10);
    const ColorRef pen = 0x743C00;
    std::vector<ColorRef> ours(12 * 10, scenes::kSentinel);
    for (int x = 4; x <= 7; ++x) ours[2 * 12 + x] = pen;  // top edge, its middle included
    std::vector<ColorRef> wine = ours;
    const int wine_only[][2] = {{3, 2}, {2, 3}, {8, 2}, {9, 3}, {3, 7}, {2, 6}, {8, 7}, {9, 6}};
    for (auto& p : wine_only) wine[static_cast<std::size_t>(p[1]) * 12 + p[0]] = pen;
    const int ours_only[][2] = {{3, 3}, {8, 3}, {3, 6}, {8, 6}};
    for (auto& p : ours_only) ours[static_cast<std::size_t>(p[1]) * 12 + p[0]] = pen;
    EXPECT_EQ(CheckRoundRectCorner(s, ours, wine), "");
    EXPECT_EQ(CheckRoundRectCorner(s, ours, ours), "");  // Windows' own picture passes too

    auto elsewhere = wine;
    elsewhere[5 * 12 + 5] = pen;
    EXPECT_NE(CheckRoundRectCorner(s, ours, elsewhere), "");
    auto other_colour = wine;
    other_colour[2 * 12 + 3] = 0x0000FF;
    EXPECT_NE(CheckRoundRectCorner(s, ours, other_colour), "");
    auto ours_covered = ours;  // we must leave those pixels alone, not paint something else
    ours_covered[3 * 12 + 2] = 0x00FF00;
    EXPECT_NE(CheckRoundRectCorner(s, ours_covered, wine), "");
    auto ours_missing = ours;  // and we must draw the diagonal pixel
    ours_missing[3 * 12 + 3] = scenes::kSentinel;
    EXPECT_NE(CheckRoundRectCorner(s, ours_missing, wine), "");
}

TEST(ReferenceGdiCheckers, StretchColumnsHoldsEachSideToItsOwnMapping) {
    for (int w : {2, 3, 7, 73}) {
        const Scene s = Named(scenes::kStretchColumns, w, 3);
        std::vector<ColorRef> ours, wine;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x) {
                ours.push_back(OurStretch(x, y, w));
                wine.push_back(WineStretch(x, y, w));
            }
        ASSERT_NE(ours, wine) << w;  // the two mappings really differ at these widths
        EXPECT_EQ(CheckStretchColumns(s, ours, wine), "") << w;
        EXPECT_NE(CheckStretchColumns(s, wine, wine), "") << "ours with Wine's mapping, w " << w;
        EXPECT_NE(CheckStretchColumns(s, ours, ours), "") << "Wine with our mapping, w " << w;
        auto off = ours;
        off.back() ^= 0x010101;
        EXPECT_NE(CheckStretchColumns(s, off, wine), "") << w;
    }
}

TEST(ReferenceGdiCheckers, UnknownDifferenceNamesFail) {
    const Scene s = Named("no-such-difference", 1, 1);
    const std::vector<ColorRef> px{0};
    EXPECT_NE(Check(s, px, px), "");
}

}  // namespace
}  // namespace sheenwork::gdi
