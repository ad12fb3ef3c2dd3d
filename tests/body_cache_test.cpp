// Bodies kept between paints: a repaint that copies a kept body leaves exactly what
// painting it would (pixels, colours, pen position, rcGradient) for every look, scheme,
// state and colour of tests/data/body_cache/paints.txt, and a step probe sees them all
// painted; a body whose paint had a failing step is not kept; the bounds hold for the
// operations of tests/data/body_cache/bounds.txt.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/control/typelib.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/error.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "render/body_cache.h"
#include "support/button_fixture.h"
#include "support/forwarding_gdi.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

// Sets the button and the system colours as a line of paints.txt says; its size.
std::pair<int, int> Apply(const std::string& line, sheenButton& button) {
    ButtonRecord& r = button.Record();
    static const std::map<std::string, vb::Long> kNames = {
        {"xp", cButtonWinXP},     {"office", cButtonOffice}, {"browser", cButtonIExplorer},
        {"blue", cXPBlue},        {"silver", cXPSilver},     {"olive", cXPOlive},
        {"classic", cWinClassic}, {"custom", cCustom}};
    std::istringstream words(line.substr(0, line.find('|')));
    std::string look, scheme, state, size;
    words >> look >> scheme >> state >> size;
    r.ButtonStyle = kNames.at(look);
    r.ColorStyle = kNames.count(scheme) ? kNames.at(scheme) : std::stoi(scheme);
    r.Enabled = vb::Boolean(state != "disabled");
    r.sState = state == "pressed" || state == "away" ? "down" : "";
    r.bMouseOver = vb::Boolean(state == "hover" || state == "pressed");
    r.bSpaceDown = vb::Boolean(state == "space");
    r.bHasFocus = r.OfficeBorderOnMouseOut = vb::False;
    for (std::string w; words >> w;) {
        if (w == "focus" || w == "outborder")
            (w == "focus" ? r.bHasFocus : r.OfficeBorderOnMouseOut) = vb::True;
        const auto eq = w.find('=');
        if (eq == std::string::npos) continue;
        const auto value = static_cast<std::uint32_t>(std::stoul(w.substr(eq + 1), nullptr, 16));
        if (w.rfind("sys", 0) == 0)
            vb::SetSysColor(std::stoi(w.substr(3, eq - 3)), value);
        else if (std::vector<vb::Variant> args{vb::Variant(static_cast<vb::Long>(value))};
                 Invoke(button, w.substr(0, eq), vb::InvokeKind::PropertyLet, args).error != 0)
            ADD_FAILURE() << "no colour property " << w;
    }
    return {std::stoi(size), std::stoi(size.substr(size.find('x') + 1))};
}

// What a paint leaves: pixels, fore and back colours, text colour, pen position, band.
using After = std::tuple<std::vector<gdi::ColorRef>, std::uint32_t, std::uint32_t, gdi::ColorRef,
                         gdi::Point, RECT>;

class BodyCacheTest : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::True); }
    void TearDown() override {
        SetSilentError(vb::False);
        SetStepProbe({});
        cache.Enable(true);
        vb::ResetSysColors();
    }
    BodyCache& cache = BodyCache::OfThisThread();
};

TEST_F(BodyCacheTest, ACopiedBodyLeavesWhatPaintingItLeaves) {
    const std::vector<std::string> lines = testing::DataLines("body_cache/paints.txt");
    // Every line painted three times on one button: painted, kept, and kept under a probe.
    const auto run = [&](bool keep, bool probe, std::vector<bool>* hit) {
        cache.Clear();
        cache.Enable(keep);
        vb::ResetSysColors();
        const std::size_t hits = cache.Hits();
        if (probe) SetStepProbe([](const Procedure&, int) {});
        testing::ButtonFixture f;
        f.button.SetPainters(DefaultPainters());
        host::Surface& s = f.site.Surface();
        std::vector<After> out;
        for (const std::string& line : lines) {
            const auto [w, h] = Apply(line, f.button);
            s.Resize(w, h);
            const std::size_t before = cache.Hits();
            for (int i = 0; i < 3; ++i) {
                f.button.Redraw(0);
                gdi::Point at;
                s.Gdi().MoveToEx(s.hDC(), 0, 0, &at);
                s.Gdi().MoveToEx(s.hDC(), at.x, at.y, nullptr);
                out.emplace_back(s.Pixels(), s.ForeColor(), s.BackColor(),
                                 s.Gdi().GetTextColor(s.hDC()), at, f.rec().rcGradient);
            }
            if (hit) hit->push_back(cache.Hits() > before);
        }
        if (probe) {
            EXPECT_EQ(cache.Count() + cache.Hits() - hits, 0u) << "nothing kept under a probe";
        }
        return out;
    };
    std::vector<bool> hit;
    const std::vector<After> painted = run(false, false, nullptr), copied = run(true, false, &hit);
    for (std::size_t i = 0; i < copied.size(); ++i)
        EXPECT_TRUE(copied[i] == painted[i]) << lines[i / 3] << ", paint " << i % 3 + 1;
    for (std::size_t k = 0; k < lines.size(); ++k)
        EXPECT_EQ(hit[k], lines[k].ends_with("| copied")) << lines[k];
    EXPECT_TRUE(run(true, true, nullptr) == painted);
}

TEST_F(BodyCacheTest, KeepsOnlyBodiesWhoseEveryStepRan) {
    cache.Clear();
    auto raster = gdi::MakeRasterGdi();
    testing::RecordingGdi gdi(*raster);  // the band's StretchDIBits fails; its own trap skips it
    testing::RecordingSite site(gdi, 40, 20);
    sheenButton button(site);
    button.SetPainters(DefaultPainters());
    button.Record() = testing::NewInstanceRecord();
    const std::size_t hits = cache.Hits();
    for (const bool failing : {true, true, false, false}) {
        gdi.failing = failing ? "StretchDIBits" : "";
        button.Redraw(0);
    }
    EXPECT_EQ(cache.Count(), 1u) << "kept once the band ran";
    EXPECT_EQ(cache.Hits() - hits, 1u);
}

// Each line of operations from an empty cache: keep,A,B,W,H keeps keys A to B with bodies
// of W x H pixels; use,K finds K; count,N bytes,N has,K and lacks,K check.
TEST_F(BodyCacheTest, KeepsItsBoundsDroppingTheLeastRecentlyUsed) {
    for (const std::string& line : testing::DataLines("body_cache/bounds.txt")) {
        cache.Clear();
        std::istringstream words(line);
        for (std::string w; words >> w;) {
            std::replace(w.begin(), w.end(), ',', ' ');
            std::istringstream op(w);
            std::string name;
            std::uint32_t a = 0, b = 0;
            int width = 0, height = 0;
            op >> name >> a >> b >> width >> height;
            BodyCache::Key k{a};
            BodyCache::Body body;
            body.width = width;
            body.height = height;
            body.pixels.resize(static_cast<std::size_t>(width) * height);
            if (name == "keep")
                for (; k[0] <= b; ++k[0]) cache.Keep(k, body);
            else if (name == "use")
                cache.Find(k);
            else if (name == "has" || name == "lacks")
                EXPECT_EQ(cache.Find(k) != nullptr, name == "has") << line << ": " << w;
            else
                EXPECT_EQ(name == "count" ? cache.Count() : cache.Bytes(), a) << line << ": " << w;
        }
    }
}

}  // namespace
}  // namespace sheenwork
