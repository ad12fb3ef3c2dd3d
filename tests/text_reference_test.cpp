// DrawTextA on our raster against real GDI under Wine, scene by scene, with the same font
// files on both sides. Everything must agree exactly: every number a scene reports
// (DrawTextA's results, the CALCRECT and drawn rectangles, the extent of the text, the
// font's metrics) and every pixel, the anti-aliased ones included. Both sides rasterise
// the same hinted outlines with FreeType, reduce them to GDI's 17 grey levels and blend
// those through GDI's intensity ramp.
//
// A failing scene reports, besides the first differing pixels, the ink of each line on
// both sides (its bounding box), which tells a layout fault (a line broken elsewhere, a
// shifted line, a missing underline) from a fault in the glyphs' grey levels.
#include <gtest/gtest.h>

#include <sheenwork/gdi/gdi.h>

#include <algorithm>
#include <sstream>

#include "scenes/scenes.h"
#include "support/reference_results.h"

namespace sheenwork::testing {
namespace {

using scenes::Scene;

int ChannelGap(ColorRef a, ColorRef b) {
    return std::max({std::abs(int(gdi::RedOf(a)) - int(gdi::RedOf(b))),
                     std::abs(int(gdi::GreenOf(a)) - int(gdi::GreenOf(b))),
                     std::abs(int(gdi::BlueOf(a)) - int(gdi::BlueOf(b)))});
}

const char* const kValueNames[] = {
    "CALCRECT result",   "CALCRECT left",     "CALCRECT top",  "CALCRECT right", "CALCRECT bottom",
    "draw result",       "rect left",         "rect top",      "rect right",     "rect bottom",
    "extent cx",         "extent cy",         "tmHeight",      "tmAscent",       "tmDescent",
    "tmInternalLeading", "tmExternalLeading", "tmAveCharWidth"};

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    void Add(int x, int y) {
        left = std::min(left, x), top = std::min(top, y);
        right = std::max(right, x), bottom = std::max(bottom, y);
    }
    friend bool operator==(const Box&, const Box&) = default;
};
std::string ToString(const Box& b) {
    // A stream rather than a chain of string additions: GCC 12 at -O3 warns falsely
    // (-Wrestrict) inside std::string's operator+ here.
    std::ostringstream out;
    out << "(" << b.left << ", " << b.top << ")-(" << b.right << ", " << b.bottom << ")";
    return out.str();
}

// The ink of a picture: pixels at least `threshold` away from the background.
std::vector<bool> Ink(const std::vector<ColorRef>& px, ColorRef background, int threshold) {
    std::vector<bool> ink(px.size());
    for (std::size_t i = 0; i < px.size(); ++i) ink[i] = ChannelGap(px[i], background) >= threshold;
    return ink;
}

// The bounding boxes of the runs of rows holding ink: one per line of text, as long as
// lines do not touch.
std::vector<Box> LineBoxes(const std::vector<bool>& ink, int w, int h) {
    std::vector<Box> boxes;
    bool in_run = false;
    for (int y = 0; y < h; ++y) {
        bool any = false;
        for (int x = 0; x < w; ++x)
            if (ink[static_cast<std::size_t>(y) * w + x]) {
                if (!in_run) boxes.emplace_back();
                in_run = any = true;
                boxes.back().Add(x, y);
            }
        in_run = any;
    }
    return boxes;
}

std::string Compare(const Scene& s, const scenes::Rendered& ours, const Image& wine) {
    std::ostringstream out;
    if (ours.values != wine.values) {
        out << "numbers differ (ours / Wine):\n";
        for (std::size_t i = 0; i < std::max(ours.values.size(), wine.values.size()); ++i) {
            const auto v = [i](const std::vector<std::int32_t>& vs) {
                return i < vs.size() ? std::to_string(vs[i]) : std::string("-");
            };
            if (v(ours.values) != v(wine.values))
                out << "  " << (i < std::size(kValueNames) ? kValueNames[i] : "value") << ": "
                    << v(ours.values) << " / " << v(wine.values) << "\n";
        }
    }
    // The text colour's contrast decides what counts as ink.
    int contrast = 0;
    for (std::size_t i = 0; i < wine.pixels.size(); ++i)
        contrast = std::max(contrast, ChannelGap(wine.pixels[i], s.background));
    const int threshold = std::max(1, contrast / 4);
    const auto our_ink = Ink(ours.pixels, s.background, threshold);
    const auto wine_ink = Ink(wine.pixels, s.background, threshold);
    const auto our_lines = LineBoxes(our_ink, s.width, s.height);
    const auto wine_lines = LineBoxes(wine_ink, s.width, s.height);
    if (our_lines != wine_lines) {
        out << "ink per line differs:\n";
        for (std::size_t i = 0; i < std::max(our_lines.size(), wine_lines.size()); ++i)
            out << "  line " << i << ": ours "
                << (i < our_lines.size() ? ToString(our_lines[i]) : "-") << ", Wine "
                << (i < wine_lines.size() ? ToString(wine_lines[i]) : "-") << "\n";
    }
    if (ours.pixels != wine.pixels)
        out << Differences(s, ours.pixels, wine.pixels, "pixels differ");
    return out.str();
}

TEST(ReferenceText, EverySceneAgreesWithRealGdi) {
    const Results wine = LoadResults("text_scenes.bin");
    ASSERT_TRUE(wine.error.empty()) << wine.error;
    const auto& all = scenes::AllTextScenes();
    ASSERT_GE(all.size(), 60u);
    EXPECT_EQ(wine.images.size(), all.size())
        << "the results are of another scene list. " << kHowToMake;
    auto raster = gdi::MakeRasterGdi();
    int failures = 0;
    for (const Scene& s : all) {
        auto it = wine.by_name.find(s.name);
        if (it == wine.by_name.end()) {
            ADD_FAILURE() << s.name << ": not in the real-GDI results. " << kHowToMake;
            continue;
        }
        const Image& w = wine.images[it->second];
        ASSERT_EQ(w.width, s.width);
        ASSERT_EQ(w.height, s.height);
        const scenes::Rendered ours = scenes::Render(*raster, s);
        const std::string report = Compare(s, ours, w);
        if (!report.empty()) {
            ++failures;
            ADD_FAILURE() << s.name << ":\n" << report;
        }
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace sheenwork::testing
