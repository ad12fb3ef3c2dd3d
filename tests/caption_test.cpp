// WriteCaption: the DrawTextA calls it makes (text, rectangle, flags, colour and font at
// the time of the call), and the pixels they leave, for the positions, offsets and
// looks of the caption.
#include <gtest/gtest.h>

#include <sheenwork/control/enums.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/syscolors.h>

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

TEST_F(Caption, RightAlignedTextEndsAtTheMarginAndCentredTextIsCentred) {
    Make(75, 23);
    rec.CaptionAlign = cRechts_Oben;
    Paint();
    EXPECT_EQ(Ink().right, 72);
    rec.CaptionAlign = cMitte_Oben;
    Paint();
    const gdi::Rect centred = Ink();
    EXPECT_LE(std::abs((centred.left - 3) - (72 - centred.right)), 2);
}

TEST_F(Caption, AFontThatIsNothingLeavesTheSurfacesFontAsItIs) {
    Make(75, 23);
    rec.sState = "down";
    rec.bMouseOver = vb::True;
    Paint();  // FontDown, 10 pixels
    rec.FontOnMouseOver = nullptr;
    rec.sState = "";
    Paint();
    EXPECT_EQ(site->Surface().Font().PixelHeight(), 10);
}

TEST_F(Caption, AManualPositionAsksTheSiteForBothScales) {
    Make(75, 23);
    rec.CaptionAlign = cBenutzerdefiniert;
    Paint();
    EXPECT_EQ(site->log.Only({"ScaleX", "ScaleY"}).size(), 2u);
}

TEST_F(Caption, PressedLeftAlignedInkMovesRightAndDownRightAlignedOnlyDown) {
    Make(75, 23);
    rec.MoveCaptionAtDown = vb::True;
    rec.sState = "down";
    rec.FontDown = rec.Font;
    rec.CaptionAlign = cLinks_Oben;
    Paint();
    const gdi::Rect rest = Ink();
    rec.bMouseOver = vb::True;
    Paint();
    const gdi::Rect pressed = Ink();
    EXPECT_EQ(pressed.left, rest.left + 1);
    EXPECT_EQ(pressed.top, rest.top + 1);
    rec.CaptionAlign = cRechts_Oben;
    Paint();
    EXPECT_EQ(Ink().right, 72);
    EXPECT_EQ(Ink().top, rest.top + 1);
}

TEST_F(Caption, ACentredCaptionMovesByHalfTheSection) {
    Make(100, 23);
    rec.DropDown = vb::True;
    rec.DropDownSize = 16;
    rec.DropDownAlign = 8;
    rec.CaptionAlign = cMitte_Mitte;
    Paint();
    const gdi::Rect free = Ink();
    rec.DropDownAlign = cDropDownLeftDown;
    Paint();
    EXPECT_EQ(Ink().left, free.left + 8);
}

TEST_F(Caption, DisabledClassicTextIsEmbossed) {
    Make(75, 23);
    rec.Enabled = vb::False;
    rec.ColorStyle = cWinClassic;
    Paint();
    const auto draws = gdi->Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].color, 0xFFFFFFu);
    EXPECT_EQ(draws[0].rect, (RECT{3, 4, 72, 20}));
    EXPECT_EQ(draws[1].color, vb::SysColor(17));
    EXPECT_EQ(draws[1].rect, (RECT{2, 3, 71, 19}));
}

TEST_F(Caption, ATallCaptionIsCutThreePixelsAboveTheBottom) {
    Make(60, 23);
    rec.Caption = "one two three four five";
    rec.CaptionAlign = cMitte_Mitte;
    Paint();
    const RECT r = Draw().rect;
    EXPECT_LT(r.top, 0);  // the middle of a text taller than the button lies above it
    EXPECT_EQ(r.bottom, 20);
    EXPECT_LE(Ink().bottom, 20);
    EXPECT_GT(Ink().bottom, 14);
}

TEST_F(Caption, FailuresWhileChoosingTheLookDoNotStopItAndLaterOnesAreTrapped) {
    Make(75, 23);
    // SetUCFont reports its own failure; WriteCaption goes on in the surface's old font.
    site->FailOn("Surface.Font");
    Paint();
    EXPECT_EQ(gdi->Draws().size(), 1u);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_NE(services.boxes[0].text.find("SetUCFont"), std::string::npos);
    site->ClearFailures();
    services.boxes.clear();

    rec.CaptionAlign = cBenutzerdefiniert;
    rec.CaptionLeft = 300;
    rec.CaptionTop = 150;
    site->FailOn("ScaleY");
    Paint();
    EXPECT_TRUE(gdi->Draws().empty());
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_NE(services.boxes[0].text.find("WriteCaption"), std::string::npos);

    services.boxes.clear();
    SetSilentError(vb::True);
    rec.sngY = 7;
    Paint();
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_EQ(Draw().rect, (RECT{20, 7, 72, 20}));  // the failed step kept the old top

    // A middle that could not be worked out keeps its first value, 0: the top edge.
    site->ClearFailures();
    rec.CaptionAlign = cMitte_Mitte;
    SetStepProbe([](const Procedure& p, int step) {
        if (p.Name() == "WriteCaption" && step == 2) vb::Raise(5);  // sngMiddle = (H - T) / 2
    });
    Paint();
    SetStepProbe({});
    EXPECT_EQ(Draw().rect, (RECT{3, 0, 72, 20}));
}

}  // namespace
}  // namespace sheenwork

namespace sheenwork {
namespace {

// The caption is Unicode; DrawTextA takes it in the ANSI code page, a character the code
// page lacks as "?", as every "A" call converts.
TEST_F(Caption, IsDrawnInTheAnsiCodePage) {
    Make(75, 23);
    rec.Caption = "Gr\xC3\xBC\xC3\x9F\xE2\x82\xAC \xE4\xB8\xAD";  // Grüß€ 中
    Paint();
    EXPECT_EQ(Draw().text, "Gr\xFC\xDF\x80 ?");
}

}  // namespace
}  // namespace sheenwork
