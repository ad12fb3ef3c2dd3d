// Our raster against real GDI under Wine (tests/reference/run.sh writes what real GDI drew,
// read back here):
// every scene of tests/data/scenes, drawn here and compared pixel for pixel, and number for
// number with what it reports (answers of calls, rectangles and positions they leave, a
// font's metrics).
//
// - gdi: drawing scenes. A scene naming a known difference is held to it exactly: both
//   sides must show the picture their own rule makes, worked out below from Wine's pixels
//   and the scene's pattern; every other pixel must agree.
// - buttons: whole buttons painted by the control, and the TransBlt scenes. Wine 8 differs
//   from Windows where the bodies touch those two rules, so the scene is drawn a second
//   time with Wine's rules put back in (support/wine_model_gdi.h): that picture must be
//   Wine's exactly.
// - text: DrawTextA with the same font files on both sides, anti-aliased pixels included.
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "button_scenes/button_scenes.h"
#include "support/pictures.h"
#include "support/recording_services.h"
#include "support/wine_model_gdi.h"

namespace sheenwork::testing {
namespace {

using gdi::ColorRef;
using scenes::Scene;
using Pixels = std::vector<ColorRef>;

struct Image {
    std::string name;
    int width = 0, height = 0;
    Pixels pixels;
    std::vector<std::int32_t> values;  // the numbers the scene reports
};

struct Results {
    std::string error;      // empty when the file was read
    std::size_t count = 0;  // the scenes read, a repeated name too
    std::map<std::string, Image> by_name;
};

const char kHowToMake[] =
    "Run `tests/reference/run.sh <build-dir>` (or `make reference`) to draw the scenes on "
    "real GDI under Wine; it needs wine and mingw-w64.";

// $SHEENWORK_REFERENCE_DIR/<file_name>, as the reference runner writes it; on any problem
// `error` says what and how to make the file. The layout (little-endian): "SWREF02\n", a uint32
// count, then per scene its name (a uint32 length and the bytes), uint32 width and height, the
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
        ++r.count;
        r.by_name[img.name] = std::move(img);
    }
    if (r.count != count) r.error = path + " is truncated. " + kHowToMake;
    return r;
}

struct Set {
    const char* file;
    const std::vector<Scene>& (*scenes)();
    std::size_t at_least;
};
const Set kSets[] = {{"gdi_scenes.bin", scenes::AllScenes, 150},
                     {"button_scenes.bin", scenes::ButtonScenes, 800},
                     {"text_scenes.bin", scenes::AllTextScenes, 60}};

const Results& Reference(const Set& set) {
    static const Results loaded[] = {LoadResults(kSets[0].file), LoadResults(kSets[1].file),
                                     LoadResults(kSets[2].file)};
    return loaded[&set - kSets];
}

// The pictures both sides must show in a scene with a known difference.
//
// The 5 x 5 RoundRect corners: Wine puts the pen on the two pixels beside each corner's
// diagonal step, (1, 0) and (0, 1) from the corner, and shows the interior on the diagonal
// pixel (1, 1); Windows and we leave the first ones alone (the sentinel) and put the pen on
// the diagonal. The pen is what the middle of the top edge shows, the interior the centre.
//
// The 4-column StretchDIBits, x counted from the band's first column: we show source column
// floor(4x / w) (the Windows mapping); Wine shows floor((4x + 1) / w) when stretching, and
// when shrinking sends source column c to destination column floor((w c + 1) / 4), ANDing
// the columns that land together. Both leave the sentinel on each side of the band.
std::pair<Pixels, Pixels> KnownDifference(const Scene& s, const Pixels& wine) {
    Pixels ours = wine, theirs = wine;
    const auto at = [&](int x, int y) { return static_cast<std::size_t>(y) * s.width + x; };
    if (s.known_difference == scenes::kRoundRectCorner) {
        const int l = scenes::kRoundMargin, t = l, r = s.width - l - 1, b = s.height - l - 1;
        const ColorRef pen = wine[at(s.width / 2, t)], inside = wine[at(s.width / 2, s.height / 2)];
        const int beside[][2] = {{l + 1, t}, {l, t + 1}, {r - 1, t}, {r, t + 1},
                                 {l + 1, b}, {l, b - 1}, {r - 1, b}, {r, b - 1}};
        const int diagonal[][2] = {{l + 1, t + 1}, {r - 1, t + 1}, {l + 1, b - 1}, {r - 1, b - 1}};
        for (const auto& p : beside)
            ours[at(p[0], p[1])] = scenes::kSentinel, theirs[at(p[0], p[1])] = pen;
        for (const auto& p : diagonal) ours[at(p[0], p[1])] = pen, theirs[at(p[0], p[1])] = inside;
    } else if (s.known_difference == scenes::kStretchColumns) {
        const int n = scenes::kStretchColumnsCount, w = s.width - 2;
        for (int y = 0; y < s.height; ++y) {
            ours[at(0, y)] = theirs[at(0, y)] = scenes::kSentinel;
            ours[at(w + 1, y)] = theirs[at(w + 1, y)] = scenes::kSentinel;
            for (int x = 0; x < w; ++x) {
                ours[at(x + 1, y)] = scenes::StretchSource(n * x / w, y);
                ColorRef c = w >= n ? scenes::StretchSource((n * x + 1) / w, y) : 0xFFFFFF;
                for (int col = 0; col < n && w < n; ++col)
                    if ((w * col + 1) / n == x) c &= scenes::StretchSource(col, y);
                theirs[at(x + 1, y)] = c;
            }
        }
    } else {
        ADD_FAILURE() << s.name << " names the unknown difference " << s.known_difference;
    }
    return {ours, theirs};
}

// Whether the scene's pixels `got` are `want` (a mismatch writes both pictures and their
// difference to the test output folder, and names the first differing pixels).
::testing::AssertionResult Same(const Scene& s, const Pixels& got, const Pixels& want,
                                const std::string& what) {
    return SamePicture({s.width, s.height, got}, {s.width, s.height, want}, s.name + " " + what);
}

// Each scene is found by its name and checked with its size by the test below; here the
// results must be of these scenes only, each name once.
TEST(ReferenceResults, CoverEveryScene) {
    for (const Set& set : kSets) {
        const Results& ref = Reference(set);
        ASSERT_TRUE(ref.error.empty()) << ref.error;
        EXPECT_GE(set.scenes().size(), set.at_least) << set.file;
        EXPECT_EQ(ref.count, set.scenes().size())
            << set.file << " is of other scenes. " << kHowToMake;
        EXPECT_EQ(ref.by_name.size(), ref.count) << set.file << " repeats a name";
    }
}

struct RealGdi : ::testing::TestWithParam<std::pair<int, std::size_t>> {
    RecordingServices services;  // a report a paint makes lands here, as on standard error there
};

TEST_P(RealGdi, MatchesRealGdi) {
    const Set& set = kSets[GetParam().first];
    const Scene& s = set.scenes()[GetParam().second];
    const Results& ref = Reference(set);
    ASSERT_TRUE(ref.error.empty()) << ref.error;
    const auto it = ref.by_name.find(s.name);
    ASSERT_NE(it, ref.by_name.end()) << "no real-GDI pixels for " << s.name << ". " << kHowToMake;
    const Image& wine = it->second;
    ASSERT_EQ(std::pair(wine.width, wine.height), std::pair(s.width, s.height)) << s.name;

    vb::ResetSysColors();  // the Luna table the reference runner gave Wine
    auto raster = gdi::MakeRasterGdi();
    const gdi::LiveObjects before = gdi::RasterLiveObjects(*raster);
    const scenes::Rendered ours = scenes::Render(*raster, s);
    EXPECT_EQ(gdi::RasterLiveObjects(*raster), before) << s.name << " leaves GDI objects behind";
    EXPECT_EQ(ours.values, wine.values) << s.name << ": the numbers it reports";
    if (&set == &kSets[1]) {
        const auto model = MakeWineModelGdi(*raster);
        const Pixels modelled = scenes::Render(*model, s).pixels;
        EXPECT_TRUE(Same(s, modelled, wine.pixels, "ours with Wine's two rules against Wine"));
        EXPECT_EQ(ours.pixels.size(), wine.pixels.size());
    } else if (s.known_difference.empty()) {
        EXPECT_TRUE(Same(s, ours.pixels, wine.pixels, "ours against real GDI"));
    } else {
        const auto [our_rule, wine_rule] = KnownDifference(s, wine.pixels);
        EXPECT_TRUE(Same(s, ours.pixels, our_rule, "ours against its rule"));
        EXPECT_TRUE(Same(s, wine.pixels, wine_rule, "Wine against its documented rule"));
    }
}

std::vector<std::pair<int, std::size_t>> Cases(int set) {
    std::vector<std::pair<int, std::size_t>> out;
    for (std::size_t i = 0; i < kSets[set].scenes().size(); ++i) out.emplace_back(set, i);
    return out;
}
std::string Name(const ::testing::TestParamInfo<std::pair<int, std::size_t>>& info) {
    // Letters, digits and '_' only; '+' becomes 'p' so that "dx+8" and "dx-8" stay apart.
    std::string name = kSets[info.param.first].scenes()[info.param.second].name;
    for (char& c : name) c = c == '+' ? 'p' : std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}
INSTANTIATE_TEST_SUITE_P(Scenes, RealGdi, ::testing::ValuesIn(Cases(0)), Name);
INSTANTIATE_TEST_SUITE_P(Buttons, RealGdi, ::testing::ValuesIn(Cases(1)), Name);
INSTANTIATE_TEST_SUITE_P(Text, RealGdi, ::testing::ValuesIn(Cases(2)), Name);

}  // namespace
}  // namespace sheenwork::testing
