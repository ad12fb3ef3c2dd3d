// The raster's rules as cases in tests/data/raster: the object model (selection, deletion,
// live counts, monochrome bits), transparent blits and sweeps of extreme coordinates. A case is a
// scene's calls with `expect VALUE CALL` (the call's answer), `pixels DC W H COLOR...` (the block
// at the DC's origin, the colours repeated to fill it) and `sweep VALUES` ... `end` (the
// calls between for every pair (A, B) of the values).
#include <sheenwork/gdi/gdi.h>

#include <gtest/gtest.h>

#include <fstream>

#include "scenes/scenes.h"
#include "support/data.h"

namespace sheenwork::gdi {
namespace {

using Words = std::vector<std::string>;
struct Case {
    std::string name, where;
    int width = 0, height = 0;
    std::vector<std::pair<int, Words>> lines;  // with their line numbers
};

std::vector<Case> ReadCases() {
    std::vector<Case> cases;
    for (const char* file : {"raster/objects.txt", "raster/sweep.txt"}) {
        std::ifstream in(testing::DataPath(file));
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            const Words w = scenes::Split(line);
            if (++number, w.empty()) continue;
            if (w[0] == "case" && w.size() == 4)
                cases.push_back({w[1],
                                 std::string(file) + ":" + std::to_string(number),
                                 std::stoi(w[2]),
                                 std::stoi(w[3]),
                                 {}});
            else if (!cases.empty())
                cases.back().lines.emplace_back(number, w);
            else
                ADD_FAILURE() << file << ":" << number << ": a line before the first case";
        }
    }
    return cases;
}
const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = ReadCases();
    return cases;
}

// Runs one line, or checks it; a mismatch names the line.
void RunCaseLine(scenes::Calls& c, const Case& k, int number, Words w) {
    static const scenes::Verbs verbs = {
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
    const std::string where = k.name + " line " + std::to_string(number);
    if (w[0] == "pixels") {
        const Hdc dc = c.Dc(w.at(1));
        const int width = std::stoi(w.at(2)), height = std::stoi(w.at(3));
        for (int i = 0; i < width * height; ++i)
            ASSERT_EQ(c.g.GetPixel(dc, i % width, i / width),
                      ColorRef(scenes::Number(w.at(4 + i % (w.size() - 4)))))
                << where << ": pixel (" << i % width << ", " << i / width << ")";
    } else if (w[0] == "expect") {
        const std::string want = w.at(1);
        w.erase(w.begin(), w.begin() + 2);
        const long answer = scenes::RunLine(c, w, &verbs);
        if (want == "null" || c.names.count(want))
            EXPECT_EQ(c.made, c.Handle(want)) << where;
        else
            EXPECT_EQ(answer, scenes::Number(want)) << where;
    } else {
        scenes::RunLine(c, w, &verbs);
    }
}

struct RasterCase : ::testing::TestWithParam<std::size_t> {};

TEST_P(RasterCase, AnswersAndPixelsAreAsItSays) {
    const Case& k = Cases()[GetParam()];
    auto g = MakeRasterGdi();
    scenes::Scene scene{k.name, k.width, k.height, scenes::kSentinel, {}, {}};
    scene.draw = [&](Gdi& gdi, Hdc dc) {
        scenes::Calls c(gdi, dc);
        for (std::size_t i = 0; i < k.lines.size(); ++i) {
            const auto& [number, w] = k.lines[i];
            if (w[0] != "sweep") {
                RunCaseLine(c, k, number, w);
                continue;
            }
            std::size_t end = i;
            while (++end < k.lines.size() && k.lines[end].second[0] != "end") {
            }
            for (std::size_t a = 1; a < w.size(); ++a)
                for (std::size_t b = 1; b < w.size(); ++b)
                    for (std::size_t j = i + 1; j < end; ++j) {
                        Words line = k.lines[j].second;
                        for (auto& word : line)
                            word = word == "A" ? w[a] : word == "B" ? w[b] : word;
                        RunCaseLine(c, k, k.lines[j].first, line);
                    }
            i = end;
        }
        return std::vector<std::int32_t>{};
    };
    EXPECT_NO_THROW(scenes::Render(*g, scene)) << k.where;
    EXPECT_EQ(RasterLiveObjects(*g), LiveObjects{}) << k.where << ": leaves objects behind";
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
