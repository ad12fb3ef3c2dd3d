// Bodies kept between paints: a repaint that copies a kept body leaves exactly what
// painting it would (pixels, colours, pen position, rcGradient), for every look, scheme,
// state and colour in tests/data/body_cache/paints.txt; a body whose paint had a failing
// step is not kept; none is used while a step probe watches; the cache keeps its bounds.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "render/body_cache.h"
#include "support/button_fixture.h"
#include "support/forwarding_gdi.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

struct PaintLine {
    std::string text;
    int width = 75, height = 23;
    bool copied = false;
    std::function<void(ButtonRecord&)> set;
    std::vector<std::pair<int, std::uint32_t>> system_colors;
};

std::vector<PaintLine> ReadPaints() {
    std::ifstream in(std::string(SHEENWORK_TEST_DATA_DIR) + "/body_cache/paints.txt");
    std::vector<PaintLine> lines;
    for (std::string text; std::getline(in, text);) {
        if (text.empty() || text[0] == '#') continue;
        PaintLine line;
        line.text = text;
        std::istringstream words(text.substr(0, text.find('|')));
        std::string look, scheme, state, size;
        words >> look >> scheme >> state >> size;
        line.copied = text.substr(text.find('|') + 1) == " copied";
        line.width = std::stoi(size);
        line.height = std::stoi(size.substr(size.find('x') + 1));
        std::vector<std::pair<std::string, std::uint32_t>> colors;
        bool focus = false, outborder = false;
        for (std::string w; words >> w;) {
            if (w == "focus") focus = true;
            if (w == "outborder") outborder = true;
            const auto eq = w.find('=');
            if (eq == std::string::npos) continue;
            const auto value =
                static_cast<std::uint32_t>(std::stoul(w.substr(eq + 1), nullptr, 16));
            if (w.rfind("sys", 0) == 0)
                line.system_colors.emplace_back(std::stoi(w.substr(3, eq - 3)), value);
            else
                colors.emplace_back(w.substr(0, eq), value);
        }
        const std::map<std::string, vb::Long> schemes = {{"blue", cXPBlue},
                                                         {"silver", cXPSilver},
                                                         {"olive", cXPOlive},
                                                         {"classic", cWinClassic},
                                                         {"custom", cCustom}};
        const vb::Long color_style = schemes.count(scheme) ? schemes.at(scheme) : std::stoi(scheme);
        const vb::Long button_style = look == "xp"       ? cButtonWinXP
                                      : look == "office" ? cButtonOffice
                                                         : cButtonIExplorer;
        line.set = [=](ButtonRecord& r) {
            r.ButtonStyle = button_style;
            r.ColorStyle = color_style;
            r.Enabled = vb::Boolean(state != "disabled");
            r.sState = state == "pressed" || state == "away" ? "down" : "";
            r.bMouseOver = vb::Boolean(state == "hover" || state == "pressed");
            r.bSpaceDown = vb::Boolean(state == "space");
            r.bHasFocus = vb::Boolean(focus);
            r.OfficeBorderOnMouseOut = vb::Boolean(outborder);
            const std::map<std::string, OLE_COLOR*> fields = {
                {"back", &r.BackColor},
                {"over", &r.BackColorOver},
                {"down", &r.BackColorDown},
                {"dis", &r.BackColorDis},
                {"border", &r.BorderColor},
                {"corner", &r.CornerColor},
                {"officeback", &r.OfficeBackColor},
                {"officedown", &r.OfficeBackColorDown},
                {"officeborder", &r.OfficeBorder},
                {"officeborderdown", &r.OfficeBorderDown}};
            for (const auto& [name, value] : colors) *fields.at(name) = value;
        };
        lines.push_back(std::move(line));
    }
    return lines;
}

// What a paint leaves.
struct After {
    std::vector<gdi::ColorRef> pixels;
    std::uint32_t fore, back;
    gdi::ColorRef text;
    gdi::Point position;
    RECT rcGradient;
    bool operator==(const After&) const = default;
};

After Look(testing::ButtonFixture& f) {
    host::Surface& s = f.site.Surface();
    After a{s.Pixels(), s.ForeColor(),     s.BackColor(), s.Gdi().GetTextColor(s.hDC()),
            {},         f.rec().rcGradient};
    s.Gdi().MoveToEx(s.hDC(), 0, 0, &a.position);
    s.Gdi().MoveToEx(s.hDC(), a.position.x, a.position.y, nullptr);
    return a;
}

class BodyCacheTest : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::True); }
    void TearDown() override {
        SetSilentError(vb::False);
        cache.Enable(true);
        vb::ResetSysColors();
    }
    testing::RecordingServices services;
    BodyCache& cache = BodyCache::OfThisThread();
};

TEST_F(BodyCacheTest, ACopiedBodyLeavesWhatPaintingItLeaves) {
    const std::vector<PaintLine> lines = ReadPaints();
    ASSERT_GE(lines.size(), 40u);
    // Every line painted three times on one button; the hits of each line's paints.
    const auto run = [&](bool keep, std::vector<std::size_t>* hits) {
        cache.Enable(keep);
        vb::ResetSysColors();
        testing::ButtonFixture f;
        f.button.SetPainters(DefaultPainters());
        std::vector<After> out;
        for (const PaintLine& line : lines) {
            for (const auto& [index, color] : line.system_colors) vb::SetSysColor(index, color);
            f.site.Surface().Resize(line.width, line.height);
            line.set(f.rec());
            const std::size_t before = cache.Hits();
            for (int i = 0; i < 3; ++i) {
                f.button.Redraw(0);
                out.push_back(Look(f));
            }
            if (hits) hits->push_back(cache.Hits() - before);
        }
        return out;
    };
    const std::vector<After> painted = run(false, nullptr);
    std::vector<std::size_t> hits;
    const std::vector<After> copied = run(true, &hits);
    ASSERT_EQ(copied.size(), painted.size());
    for (std::size_t i = 0; i < copied.size(); ++i)
        EXPECT_TRUE(copied[i] == painted[i]) << lines[i / 3].text << ", paint " << i % 3 + 1;
    for (std::size_t k = 0; k < lines.size(); ++k)
        EXPECT_EQ(hits[k] > 0, lines[k].copied) << lines[k].text;
}

// StretchDIBits fails with a run-time error while `failing`: the band's own trap skips it.
class FailingBands final : public testing::ForwardingGdi {
public:
    using ForwardingGdi::ForwardingGdi;
    bool failing = true;
    int StretchDIBits(Hdc dc, int x, int y, int w, int h, int xs, int ys, int ws, int hs,
                      const void* bits, const gdi::BitmapInfoHeader* info, unsigned usage,
                      std::uint32_t rop) override {
        if (failing) vb::Raise(5);
        return g_.StretchDIBits(dc, x, y, w, h, xs, ys, ws, hs, bits, info, usage, rop);
    }
};

TEST_F(BodyCacheTest, KeepsOnlyBodiesWhoseEveryStepRan) {
    cache.Clear();
    auto raster = gdi::MakeRasterGdi();
    FailingBands gdi(*raster);
    testing::RecordingSite site(gdi, 40, 20);
    sheenButton button(site);
    button.SetPainters(DefaultPainters());
    button.Record() = testing::NewInstanceRecord();
    const std::size_t hits = cache.Hits();
    button.Redraw(0);
    button.Redraw(0);
    EXPECT_EQ(cache.Count(), 0u) << "the band failed: nothing to keep";
    gdi.failing = false;
    button.Redraw(0);
    EXPECT_EQ(cache.Count(), 1u);
    button.Redraw(0);
    EXPECT_EQ(cache.Hits(), hits + 1);
}

TEST_F(BodyCacheTest, NothingIsKeptOrCopiedWhileAStepProbeWatches) {
    cache.Clear();
    const std::size_t hits = cache.Hits();
    SetStepProbe([](const Procedure&, int) {});
    testing::ButtonFixture f;
    f.button.SetPainters(DefaultPainters());
    for (int i = 0; i < 3; ++i) f.button.Redraw(0);
    SetStepProbe({});
    EXPECT_EQ(cache.Count(), 0u);
    EXPECT_EQ(cache.Hits(), hits);
}

TEST_F(BodyCacheTest, KeepsItsBoundsDroppingTheLeastRecentlyUsed) {
    cache.Clear();
    const auto key = [](std::uint32_t n) {
        BodyCache::Key k{};
        k[0] = n;
        return k;
    };
    const auto body = [](int w, int h) {
        BodyCache::Body b;
        b.width = w;
        b.height = h;
        b.pixels.assign(static_cast<std::size_t>(w) * h, 0);
        return b;
    };
    for (std::uint32_t n = 0; n < BodyCache::kMaxBodies + 10; ++n) {
        cache.Keep(key(n), body(4, 4));
        if (n >= 1) {
            EXPECT_NE(cache.Find(key(1)), nullptr) << "used after each keep: stays";
        }
    }
    EXPECT_EQ(cache.Count(), BodyCache::kMaxBodies);
    EXPECT_EQ(cache.Find(key(0)), nullptr);
    EXPECT_EQ(cache.Find(key(2)), nullptr);
    EXPECT_NE(cache.Find(key(BodyCache::kMaxBodies + 9)), nullptr);

    cache.Clear();
    const int side = 512;  // a quarter of the bytes: the largest body kept
    for (std::uint32_t n = 0; n < 6; ++n) cache.Keep(key(n), body(side, side));
    EXPECT_EQ(cache.Bytes(), BodyCache::kMaxBytes);
    EXPECT_EQ(cache.Count(), 4u);
    cache.Keep(key(9), body(side + 1, side));
    EXPECT_EQ(cache.Find(key(9)), nullptr);
}

}  // namespace
}  // namespace sheenwork
