// The raster's rules as cases in tests/data/raster/cases: the object model (selection,
// deletion, live counts, monochrome bits), the formats StretchDIBits refuses, transparent
// and overlapping blits and sweeps of extreme coordinates. A case is a scene whose lines
// may also check: `expect VALUE CALL` (the call's answer), `pixels DC W H COLOR...` (the
// block at the DC's origin, the colours repeated to fill it), `same DC DC W H` (two blocks
// alike); `header DIB FIELD VALUE` changes a field of a DIB's header.
#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>

#include "scenes/scenes.h"
#include "support/data.h"

namespace sheenwork::gdi {
namespace {

using Words = std::vector<std::string>;
[[noreturn]] void Mismatch(const std::string& what) { throw std::runtime_error(what); }

std::string Hex(ColorRef c) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%06X", static_cast<unsigned>(c));
    return b;
}

// The pixels of a W x H block at the origin of `dc`.
std::vector<ColorRef> Block(scenes::Calls& c, const std::string& dc, const Words& w) {
    std::vector<ColorRef> out;
    const int width = static_cast<int>(c.Int(w.at(0))), height = static_cast<int>(c.Int(w.at(1)));
    for (int i = 0; i < width * height; ++i)
        out.push_back(c.g.GetPixel(c.Dc(dc), i % width, i / width));
    return out;
}

const scenes::Verbs& Checks() {
    static const scenes::Verbs verbs = {
        {"expect",
         [](scenes::Calls& c, const Words& w) {
             const long answer = scenes::RunLine(c, Words(w.begin() + 1, w.end()), &Checks());
             if (w[0] == "null" || c.names.count(w[0]) ? c.made != c.Handle(w[0])
                                                       : answer != scenes::Number(w[0]))
                 Mismatch("the answer is " + std::to_string(answer) +
                          " (a handle: whether there is one), not " + w[0]);
             return answer;
         }},
        {"pixels",
         [](scenes::Calls& c, const Words& w) {
             const auto got = Block(c, w.at(0), {w.at(1), w.at(2)});
             for (std::size_t i = 0; i < got.size(); ++i)
                 if (got[i] != ColorRef(c.Int(w.at(3 + i % (w.size() - 3)))))
                     Mismatch("pixel " + std::to_string(i) + " of the block is " + Hex(got[i]));
             return 1L;
         }},
        {"same",
         [](scenes::Calls& c, const Words& w) {
             if (Block(c, w.at(0), {w.at(2), w.at(3)}) != Block(c, w.at(1), {w.at(2), w.at(3)}))
                 Mismatch(w[0] + " and " + w[1] + " differ");
             return 1L;
         }},
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
         [](scenes::Calls& c, const Words&) { return long(RasterLiveObjects(c.g).dcs); }},
        {"LiveObjects",
         [](scenes::Calls& c, const Words&) { return long(RasterLiveObjects(c.g).objects); }},
        {"MovedFromX", [](scenes::Calls& c, const Words&) { return long(c.point.x); }},
        {"MovedFromY", [](scenes::Calls& c, const Words&) { return long(c.point.y); }},
        {"SetRasterCaps1",
         [](scenes::Calls& c, const Words& w) {
             SetRasterCaps1(c.g, static_cast<int>(c.Int(w.at(0))));
             return 1L;
         }},
    };
    return verbs;
}

const std::vector<scenes::Scene>& Cases() {
    static const auto cases = scenes::ReadScenes(testing::DataPath("raster/cases").string(),
                                                 scenes::kSentinel, &Checks());
    return cases;
}

struct RasterCase : ::testing::TestWithParam<std::size_t> {};

TEST_P(RasterCase, AnswersAndPixelsAreAsItSays) {
    const scenes::Scene& s = Cases()[GetParam()];
    auto g = MakeRasterGdi();
    try {
        scenes::Render(*g, s);
    } catch (const std::exception& e) {
        FAIL() << s.name << ": " << e.what();
    }
    EXPECT_EQ(RasterLiveObjects(*g), LiveObjects{}) << s.name << ": leaves objects behind";
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
