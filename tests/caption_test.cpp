// WriteCaption: the DrawTextA calls it makes (text, rectangle, flags, colour and font at
// the time of the call), and the pixels they leave, for the positions, offsets and
// looks of the caption, as the lines of tests/data/paint/captions.txt and
// caption_steps.txt say.
#include <gtest/gtest.h>

#include <sheenwork/control/enums.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/syscolors.h>

#include <map>
#include <memory>
#include <sstream>

#include "button_scenes/button_scenes.h"
#include "render/redraw.h"
#include "scenes/scenes.h"
#include "support/button_fixture.h"
#include "support/data.h"
#include "support/forwarding_gdi.h"
#include "support/recording_services.h"
#include "support/recording_site.h"

namespace sheenwork {
namespace {

using testing::RecordingSite;

struct TextCall {
    std::string text;
    RECT rect;  // as passed in
    unsigned format;
    gdi::ColorRef color;
    std::string face;
};

// Our raster, with every DrawTextA noted.
class TextRecordingGdi final : public testing::ForwardingGdi {
public:
    explicit TextRecordingGdi(gdi::Gdi& inner) : ForwardingGdi(inner) {}
    std::vector<TextCall> calls;
    int DrawTextA(gdi::Hdc dc, const char* t, int n, gdi::Rect* r, unsigned format) override {
        calls.push_back({t, *r, format, g_.GetTextColor(dc), g_.GetTextFace(dc)});
        return g_.DrawTextA(dc, t, n, r, format);
    }
    // The drawing calls, without the measurement.
    std::vector<TextCall> Draws() const {
        std::vector<TextCall> out;
        for (const auto& c : calls)
            if ((c.format & gdi::DT_CALCRECT) == 0) out.push_back(c);
        return out;
    }
};

class Caption : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override { SetSilentError(vb::False); }

    void Make(int w, int h) {
        gdi = std::make_unique<TextRecordingGdi>(*raster);
        site = std::make_unique<RecordingSite>(*gdi, w, h);
        rec = testing::NewInstanceRecord();
        rec.Caption = "OK";
        rec.Font = std::make_shared<vb::StdFont>("DejaVu Sans", 9.75);
        rec.FontOnMouseOver = std::make_shared<vb::StdFont>("DejaVu Sans", 12);
        rec.FontDown = std::make_shared<vb::StdFont>("DejaVu Sans", 7.5);
        rec.ForeColor = 0x000001;
        rec.ForeColorOver = 0x000002;
        rec.ForeColorDown = 0x000003;
        rec.ForeColorDis = 0x000004;
    }
    void Paint() {
        gdi->calls.clear();
        site->Surface().BackColor(0xFFFFFF);
        PaintState ps;
        PaintContext c{rec, *site, site->Surface(), ps};
        DefaultPainters()->WriteCaption(c);
    }
    TextCall Draw() {
        const auto draws = gdi->Draws();
        EXPECT_EQ(draws.size(), 1u);
        return draws.empty() ? TextCall{} : draws.back();
    }
    // The columns and rows holding pixels other than white.
    gdi::Rect Ink() {
        const auto px = site->Surface().Pixels();
        const int w = static_cast<int>(site->Surface().ScaleWidth());
        gdi::Rect box{1 << 20, 1 << 20, -1, -1};
        for (std::size_t i = 0; i < px.size(); ++i)
            if (px[i] != 0xFFFFFF) {
                const int x = static_cast<int>(i) % w, y = static_cast<int>(i) / w;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        return box;
    }

    testing::RecordingServices services;
    std::unique_ptr<gdi::Gdi> raster = gdi::MakeRasterGdi();
    std::unique_ptr<TextRecordingGdi> gdi;
    std::unique_ptr<RecordingSite> site;
    ButtonRecord rec;
};

// Each row of tests/data/paint/captions.txt: measured first at the full width less the
// margin, then drawn as the row says.
class CaptionTable : public Caption, public ::testing::WithParamInterface<testing::Row> {};

TEST_P(CaptionTable, IsDrawnWhereTheRowSays) {
    const testing::Row& row = GetParam();
    const int w = std::stoi(row[1]);
    Make(w, std::stoi(row[1].substr(row[1].find('x') + 1)));
    std::istringstream assignments(row[0]);
    for (std::string a; std::getline(assignments, a, ';');)
        scenes::Assign(*site, rec, scenes::Split(a));
    Paint();
    ASSERT_EQ(gdi->calls.size(), 2u) << row.where;
    EXPECT_EQ(gdi->calls[0].rect, (RECT{0, 0, w - 3, 0})) << row.where;
    EXPECT_EQ(gdi->calls[0].format, gdi::DT_CALCRECT | gdi::DT_WORDBREAK) << row.where;
    std::istringstream want(row[2]);
    RECT r;
    std::string format, color, height;
    want >> r.left >> r.top >> r.right >> r.bottom >> format;
    std::getline(want >> std::ws, color, ',');
    std::getline(want >> std::ws, height);
    EXPECT_EQ(Draw().rect, r) << row.where;
    EXPECT_EQ(Draw().format,
              static_cast<unsigned>(scenes::Number(format.substr(0, format.find(',')))))
        << row.where;
    EXPECT_EQ(Draw().text, "OK");
    if (!color.empty()) {
        EXPECT_EQ(Draw().color, static_cast<gdi::ColorRef>(scenes::Number(color))) << row.where;
        EXPECT_EQ(site->Surface().ForeColor(), Draw().color) << row.where;
    }
    if (!height.empty()) {
        EXPECT_EQ(site->Surface().Font().PixelHeight(), std::stoi(height)) << row.where;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CaptionTable,
                         ::testing::ValuesIn(testing::ReadTable("paint/captions.txt")),
                         testing::RowName);

// The cases of tests/data/paint/caption_steps.txt: a caption painted and what it must
// leave, step by step (the file's head lists the lines).
std::vector<testing::Row> StepCases() {
    std::vector<testing::Row> out;
    for (testing::Row& line : testing::ReadTable("paint/caption_steps.txt")) {
        if (line[0].rfind("case ", 0) == 0) out.push_back({line.where, {}});
        if (!out.empty()) out.back().cells.push_back(line[0]);
    }
    return out;
}

class CaptionSteps : public Caption, public ::testing::WithParamInterface<testing::Row> {
protected:
    void TearDown() override {
        SetStepProbe({});
        Caption::TearDown();
    }
};

TEST_P(CaptionSteps, LeaveWhatTheFileSays) {
    gdi::Rect kept{};
    for (const std::string& line : GetParam().cells) {
        SCOPED_TRACE(GetParam().where + ": " + line);
        const auto w = scenes::Split(line);
        const auto n = [&](std::size_t i) { return static_cast<int>(scenes::Number(w.at(i))); };
        // EDGE OP VALUE against a rectangle; "+ N" is the kept rectangle's edge plus N.
        const auto edges = [&](const gdi::Rect& r) {
            const std::map<std::string, std::pair<int, int>> e = {
                {"left", {r.left, kept.left}},
                {"top", {r.top, kept.top}},
                {"right", {r.right, kept.right}},
                {"bottom", {r.bottom, kept.bottom}}};
            const auto [got, before] = e.at(w.at(1));
            const std::string& op = w.at(2);
            const int v = n(3);
            EXPECT_TRUE(op == "="    ? got == v
                        : op == "<=" ? got <= v
                        : op == "<"  ? got < v
                        : op == ">"  ? got > v
                                     : got == before + v)
                << got;
        };
        if (w[0] == "case") {
            Make(std::stoi(w.at(2)), std::stoi(w[2].substr(w[2].find('x') + 1)));
        } else if (w.size() > 2 && w[1] == "=" && w[2] == "Nothing") {
            (w[0] == "Font"       ? rec.Font
             : w[0] == "FontDown" ? rec.FontDown
                                  : rec.FontOnMouseOver) = nullptr;
        } else if (w.size() > 1 && w[1] == "=") {
            scenes::Assign(*site, rec, w);
        } else if (w[0] == "paint") {
            Paint();
        } else if (w[0] == "draws") {
            EXPECT_EQ(gdi->Draws().size(), std::size_t(n(1)));
        } else if (w[0] == "draw") {  // draw I L T R B [COLOR]
            const auto draws = gdi->Draws();
            ASSERT_LT(std::size_t(n(1)), draws.size());
            EXPECT_EQ(draws[n(1)].rect, (RECT{n(2), n(3), n(4), n(5)}));
            if (w.size() > 6) {
                EXPECT_EQ(draws[n(1)].color, gdi::ColorRef(n(6)));
            }
        } else if (w[0] == "text") {
            EXPECT_EQ(Draw().text, scenes::Unquote(w.at(1)));
        } else if (w[0] == "fontheight") {
            EXPECT_EQ(site->Surface().Font().PixelHeight(), n(1));
        } else if (w[0] == "ink") {
            edges(Ink());
        } else if (w[0] == "drawn") {
            edges(Draw().rect);
        } else if (w[0] == "centred") {  // centred LEFT RIGHT SLACK: the ink between them
            EXPECT_LE(std::abs((Ink().left - n(1)) - (n(2) - Ink().right)), n(3));
        } else if (w[0] == "keep") {
            kept = Ink();
        } else if (w[0] == "calls") {
            EXPECT_EQ(site->log.Only({"ScaleX", "ScaleY"}).size(), std::size_t(n(1)));
        } else if (w[0] == "fail") {
            site->FailOn(w.at(1));
        } else if (w[0] == "clear") {
            site->ClearFailures();
            services.boxes.clear();
        } else if (w[0] == "boxes") {
            ASSERT_EQ(services.boxes.size(), std::size_t(n(1)));
            if (w.size() > 2) {
                EXPECT_NE(services.boxes.back().text.find(w[2]), std::string::npos);
            }
        } else if (w[0] == "silent") {
            SetSilentError(vb::True);
        } else if (w[0] == "probe") {  // probe STEP: WriteCaption's step STEP fails
            const int step = n(1);
            SetStepProbe([step](const Procedure& p, int at) {
                if (p.Name() == "WriteCaption" && at == step) vb::Raise(5);
            });
        } else {
            ADD_FAILURE() << "no such line";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, CaptionSteps, ::testing::ValuesIn(StepCases()),
                         [](const auto& info) {
                             std::string name = info.param.cells.at(0).substr(5);
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace sheenwork
