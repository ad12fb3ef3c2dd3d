// Our raster against real GDI: every scene of tests/scenes/ is drawn by our raster and
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

namespace sheenwork::gdi {
namespace {

using scenes::Scene;

struct Image {
    std::string name;
    int width = 0, height = 0;
    std::vector<ColorRef> pixels;
    ColorRef At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct Results {
    std::string error;  // empty when the file was read
    std::vector<Image> images;
    std::map<std::string, std::size_t> by_name;
};

const char kHowToMake[] =
    "Run `tests/reference/run.sh <build-dir>` (or `make reference`) to draw the scenes on "
    "real GDI under Wine; it needs wine and mingw-w64.";

bool Read32(std::istream& in, std::uint32_t& v) {
    unsigned char b[4];
    if (!in.read(reinterpret_cast<char*>(b), 4)) return false;
    v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}

Results Load() {
    Results r;
    const char* dir = std::getenv("SHEENWORK_REFERENCE_DIR");
    if (dir == nullptr || *dir == '\0') {
        r.error = std::string("SHEENWORK_REFERENCE_DIR is not set. ") + kHowToMake;
        return r;
    }
    const std::string path = std::string(dir) + "/gdi_scenes.bin";
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        r.error = "No real-GDI results at " + path + ". " + kHowToMake;
        return r;
    }
    char magic[8];
    std::uint32_t count = 0;
    if (!in.read(magic, 8) || std::string(magic, 8) != "SWREF01\n" || !Read32(in, count)) {
        r.error = path + " is not a results file of this version. " + kHowToMake;
        return r;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        Image img;
        std::uint32_t length = 0, w = 0, h = 0;
        if (!Read32(in, length) || length > 1000) break;
        img.name.resize(length);
        if (!in.read(img.name.data(), length) || !Read32(in, w) || !Read32(in, h) ||
            w > 100000 || h > 100000)
            break;
        img.width = static_cast<int>(w);
        img.height = static_cast<int>(h);
        img.pixels.resize(static_cast<std::size_t>(w) * h);
        bool ok = true;
        for (auto& p : img.pixels) ok = ok && Read32(in, p);
        if (!ok) break;
        r.by_name[img.name] = r.images.size();
        r.images.push_back(std::move(img));
    }
    if (r.images.size() != count) r.error = path + " is truncated. " + kHowToMake;
    return r;
}

const Results& Reference() {
    static const Results results = Load();
    return results;
}

// --- reporting ---------------------------------------------------------------------

std::string Hex(ColorRef c) {
    char b[16];
    std::snprintf(b, sizeof b, "%06X", static_cast<unsigned>(c));
    return b;
}

// Both bitmaps as letters side by side, one letter per colour, with the legend.
std::string Dump(int w, int h, const std::vector<ColorRef>& ours, const std::vector<ColorRef>& wine) {
    if (w > 40 || h > 30) return "  (bitmap too large to print)\n";
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::map<ColorRef, char> letter{{scenes::kSentinel, '.'}};
    auto letter_of = [&](ColorRef c) {
        auto it = letter.find(c);
        if (it != letter.end()) return it->second;
        const std::size_t n = letter.size() - 1;
        const char l = n < sizeof kLetters - 1 ? kLetters[n] : '?';
        letter[c] = l;
        return l;
    };
    std::ostringstream out;
    out << "  ours" << std::string(static_cast<std::size_t>(w > 3 ? w - 3 : 1), ' ') << "wine\n";
    for (int y = 0; y < h; ++y) {
        std::string a, b, marks;
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            a += letter_of(ours[i]);
            b += letter_of(wine[i]);
            marks += ours[i] == wine[i] ? ' ' : '^';
        }
        out << "  " << a << "  " << b << "   " << marks << "\n";
    }
    out << "  legend: . = sentinel " << Hex(scenes::kSentinel);
    for (auto& [c, l] : letter)
        if (l != '.') out << ", " << l << " = " << Hex(c);
    out << "\n";
    return out.str();
}

std::string Differences(const Scene& s, const std::vector<ColorRef>& ours,
                        const std::vector<ColorRef>& wine, const std::string& why) {
    std::ostringstream out;
    int count = 0;
    std::string first;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * s.width + x;
            if (ours[i] == wine[i]) continue;
            if (++count <= 8)
                first += "    (" + std::to_string(x) + ", " + std::to_string(y) + ") ours " +
                         Hex(ours[i]) + " wine " + Hex(wine[i]) + "\n";
        }
    out << "scene " << s.name << " (" << s.width << " x " << s.height << "): " << why << "\n  "
        << count << " pixel(s) differ, first ones:\n"
        << first << Dump(s.width, s.height, ours, wine);
    return out.str();
}

// --- the checkers ----------------------------------------------------------------
// Each returns an empty string when ours and Wine's pixels agree as it requires,
// otherwise what is wrong.

std::string CheckExact(const Scene& s, const std::vector<ColorRef>& ours, const std::vector<ColorRef>& wine) {
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
                    return Differences(s, ours, wine,
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
    static const std::map<std::string, std::string> open = {
        {"fillrect-on-mono", "Wine dithers solid brushes of other colours than black and "
                             "white on monochrome bitmaps; the raster takes the nearer of the two"},
        {"bitblt-lines-on-mono", "the grey background fill of the monochrome bitmap is "
                                 "dithered by Wine (same cause as fillrect-on-mono)"},
        {"stretch-rows-3-to-7", "Wine maps stretched rows like its stretched columns, "
                                "floor((s * y + 1) / d); the raster uses floor(s * y / d) on both axes"},
        {"stretch-rows-8-to-3", "shrinking rows: Wine ANDs the rows that fall together; the "
                                "raster picks floor(s * y / d)"},
        {"stretch-return-values", "six rows shrunk to one: Wine ANDs them (see stretch-rows-8-to-3)"},
    };
    return open;
}

std::string Check(const Scene& s, const std::vector<ColorRef>& ours, const std::vector<ColorRef>& wine) {
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
    ASSERT_NE(it, ref.by_name.end()) << "no real-GDI pixels for " << scene.name << ". " << kHowToMake;
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
        if (c == '+') c = 'p';
        else if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Scenes, ReferenceGdi,
                         ::testing::Range<std::size_t>(0, scenes::AllScenes().size()), TestName);

// The checkers themselves: they accept exactly the documented difference.
Scene Named(const char* known, int w, int h) { return Scene{"synthetic", w, h, nullptr, known}; }

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
