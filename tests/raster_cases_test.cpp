// The raster's rules as cases in tests/data/raster/cases: the object model (selection,
// deletion, live counts, monochrome bits), the formats StretchDIBits refuses, transparent
// and overlapping blits, sweeps of extreme coordinates, the control's TransBlt on both of
// its paths, and text drawn through real fonts where its pixels are fixed by rule. A case
// is a scene whose lines may also check: `expect VALUE CALL` (the call's answer; >N: more
// than N), `pixels DC W H COLOR...` (the block at the DC's origin, the colours repeated to
// fill it), `row DC Y COLOR...`, `same DC DC W H` (two blocks alike), `Inside DC W H L T R
// B` (ink only inside the rectangle); `Count DC W H COLOR` and `Value I` (a number the
// scene reported) answer numbers; `header DIB FIELD VALUE` changes a field of a DIB's
// header; `Failing CALL`, `SilentError 1` and `Monochromes` (the monochrome bitmaps made)
// watch the calls.
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/util/error.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

#include "button_scenes/button_scenes.h"
#include "support/data.h"
#include "support/forwarding_gdi.h"
#include "support/recording_services.h"

namespace sheenwork::gdi {
namespace {

using Words = std::vector<std::string>;
[[noreturn]] void Mismatch(const std::string& what) { throw std::runtime_error(what); }

std::string Hex(ColorRef c) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%06X", static_cast<unsigned>(c));
    return b;
}

// The pixels of the width x height block at (x, y) of `dc`, rows from the top.
std::vector<ColorRef> Block(scenes::Calls& c, const std::string& dc, int x, int y, int width,
                            int height) {
    std::vector<ColorRef> out;
    for (int i = 0; i < width * height; ++i)
        out.push_back(c.g.GetPixel(c.Dc(dc), x + i % width, y + i / width));
    return out;
}

// The pixels of a W x H block at the origin of `dc`, its size in the words at `at`.
std::vector<ColorRef> Block(scenes::Calls& c, const Words& w, std::size_t at) {
    return Block(c, w.at(0), 0, 0, static_cast<int>(c.Int(w.at(at))),
                 static_cast<int>(c.Int(w.at(at + 1))));
}

// Throws at the first pixel of `got` that is not the colours from word `from` on, repeated.
void Expect(scenes::Calls& c, const std::vector<ColorRef>& got, const Words& w, std::size_t from) {
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i] != ColorRef(c.Int(w.at(from + i % (w.size() - from)))))
            Mismatch("pixel " + std::to_string(i) + " of the block is " + Hex(got[i]));
}

// A case draws through our raster with a watch on it (support/forwarding_gdi.h).
testing::RecordingGdi& Watch(scenes::Calls& c) { return static_cast<testing::RecordingGdi&>(c.g); }
Gdi& Raster(scenes::Calls& c) { return Watch(c).Inner(); }

const scenes::Verbs& Checks() {
    static const scenes::Verbs verbs = {
        {"expect",
         [](scenes::Calls& c, const Words& w) {
             const long answer = scenes::RunLine(c, Words(w.begin() + 1, w.end()), &Checks());
             if (w[0][0] == '>'                          ? answer <= scenes::Number(w[0].substr(1))
                 : w[0] == "null" || c.names.count(w[0]) ? c.made != c.Handle(w[0])
                                                         : answer != scenes::Number(w[0]))
                 Mismatch("the answer is " + std::to_string(answer) +
                          " (a handle: whether there is one), not " + w[0]);
             return answer;
         }},
        {"pixels",
         [](scenes::Calls& c, const Words& w) {
             Expect(c, Block(c, w, 1), w, 3);
             return 1L;
         }},
        {"row",
         [](scenes::Calls& c, const Words& w) {
             const int y = static_cast<int>(c.Int(w.at(1)));
             Expect(c, Block(c, w.at(0), 0, y, static_cast<int>(w.size()) - 2, 1), w, 2);
             return 1L;
         }},
        {"same",
         [](scenes::Calls& c, const Words& w) {
             if (Block(c, w, 2) != Block(c, {w.at(1), w.at(2), w.at(3)}, 1))
                 Mismatch(w[0] + " and " + w[1] + " differ");
             return 1L;
         }},
        {"Count",
         [](scenes::Calls& c, const Words& w) {
             const auto got = Block(c, w, 1);
             return long(std::count(got.begin(), got.end(), ColorRef(c.Int(w.at(3)))));
         }},
        {"Inside",  // Inside DC W H L T R B: ink inside the rectangle, none outside it
         [](scenes::Calls& c, const Words& w) {
             const auto got = Block(c, w, 1);
             const long width = c.Int(w.at(1));
             bool inked = false;
             for (std::size_t i = 0; i < got.size(); ++i) {
                 const long x = long(i) % width, y = long(i) / width;
                 const bool in = x >= c.Int(w.at(3)) && y >= c.Int(w.at(4)) && x < c.Int(w.at(5)) &&
                                 y < c.Int(w.at(6));
                 if (!in && got[i] != scenes::kSentinel)
                     Mismatch("ink outside the rectangle at pixel " + std::to_string(i));
                 inked = inked || got[i] != scenes::kSentinel;
             }
             if (!inked) Mismatch("nothing drawn");
             return 1L;
         }},
        {"Value",
         [](scenes::Calls& c, const Words& w) { return long(c.values.at(c.Int(w.at(0)))); }},
        {"header",
         [](scenes::Calls& c, const Words& w) {
             // The fields' places in the header and their sizes (little-endian).
             static const std::map<std::string, std::pair<std::size_t, std::size_t>> fields = {
                 {"biSize", {0, 4}},    {"biWidth", {4, 4}},     {"biHeight", {8, 4}},
                 {"biPlanes", {12, 2}}, {"biBitCount", {14, 2}}, {"biCompression", {16, 4}}};
             const auto [at, size] = fields.at(w.at(1));
             const auto v = static_cast<std::uint32_t>(c.Int(w.at(2)));
             std::memcpy(c.dibs.at(w.at(0)).data() + at, &v, size);
             return 1L;
         }},
        {"LiveDcs",
         [](scenes::Calls& c, const Words&) { return long(RasterLiveObjects(Raster(c)).dcs); }},
        {"LiveObjects",
         [](scenes::Calls& c, const Words&) { return long(RasterLiveObjects(Raster(c)).objects); }},
        {"MovedFromX", [](scenes::Calls& c, const Words&) { return long(c.point.x); }},
        {"MovedFromY", [](scenes::Calls& c, const Words&) { return long(c.point.y); }},
        {"SetRasterCaps1",
         [](scenes::Calls& c, const Words& w) {
             SetRasterCaps1(Raster(c), static_cast<int>(c.Int(w.at(0))));
             return 1L;
         }},
        {"Failing",  // Failing CALL: the call raises error 5 instead of running
         [](scenes::Calls& c, const Words& w) {
             Watch(c).failing = w.at(0);
             return 1L;
         }},
        {"SilentError",
         [](scenes::Calls& c, const Words& w) {
             SetSilentError(vb::Boolean(c.Int(w.at(0)) != 0));
             return 1L;
         }},
        {"Monochromes", [](scenes::Calls& c, const Words&) { return long(Watch(c).monochrome); }},
    };
    static const scenes::Verbs all = [] {
        scenes::Verbs joined = scenes::ControlVerbs();
        joined.insert(verbs.begin(), verbs.end());
        return joined;
    }();
    return all;
}

const std::vector<scenes::Scene>& Cases() {
    static const auto cases = scenes::ReadScenes(testing::DataPath("raster/cases").string(),
                                                 scenes::kSentinel, &Checks());
    return cases;
}

struct RasterCase : ::testing::TestWithParam<std::size_t> {
    void TearDown() override { SetSilentError(vb::False); }
    testing::RecordingServices services;  // a report of the control lands here
};

TEST_P(RasterCase, AnswersAndPixelsAreAsItSays) {
    const scenes::Scene& s = Cases()[GetParam()];
    auto raster = MakeRasterGdi();
    testing::RecordingGdi g(*raster);
    try {
        scenes::Render(g, s);
    } catch (const std::exception& e) {
        FAIL() << s.name << ": " << e.what();
    }
    EXPECT_EQ(RasterLiveObjects(*raster), LiveObjects{}) << s.name << ": leaves objects behind";
    EXPECT_TRUE(services.boxes.empty()) << s.name << ": reported an error";
}

INSTANTIATE_TEST_SUITE_P(Cases, RasterCase, ::testing::Range<std::size_t>(0, Cases().size()),
                         [](const auto& info) {
                             std::string n = Cases()[info.param].name;
                             for (char& c : n)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return n;
                         });

}  // namespace
}  // namespace sheenwork::gdi
