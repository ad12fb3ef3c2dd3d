// Redraw: state resolution, the order of the painters, the highlight choice, the rounded
// frame and the two-pass composition of a pressed drop-down section.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>

#include <gtest/gtest.h>

#include "support/button_fixture.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using testing::ButtonFixture;
using Log = std::vector<std::string>;

class RedrawTest : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override { SetSilentError(vb::False); }
    Log Painted() const { return f.site.log.Only({"Paint:"}); }
    testing::RecordingServices services;
    ButtonFixture f;
};

TEST_F(RedrawTest, NothingHappensWhileLoading) {
    f.rec().bLoading = vb::True;
    f.rec().sState = "down";
    f.button.Redraw(0);
    EXPECT_TRUE(f.site.log.entries.empty());
}

TEST_F(RedrawTest, AnOrdinaryPaintRunsThePaintersInTheirFixedOrder) {
    f.button.Redraw(0);
    EXPECT_EQ(f.site.log.entries,
              (Log{"Surface", "Paint:XPBody \"\" pass 0", "Paint:DrawImage", "Paint:WriteCaption",
                   "Paint:DropDownGlyph", "Paint:drawMLine \"\""}));
    f.site.log.Clear();
    f.rec().PictureInFront = vb::True;
    f.button.Redraw(0);
    EXPECT_EQ(Painted(), (Log{"Paint:XPBody \"\" pass 0", "Paint:WriteCaption", "Paint:DrawImage",
                              "Paint:DropDownGlyph", "Paint:drawMLine \"\""}));
    f.site.log.Clear();
    f.rec().PictureShow = vb::False;
    f.button.Redraw(0);
    EXPECT_EQ(Painted(), (Log{"Paint:XPBody \"\" pass 0", "Paint:WriteCaption",
                              "Paint:DropDownGlyph", "Paint:drawMLine \"\""}));
}

TEST_F(RedrawTest, TheBodyPainterFollowsTheButtonStyle) {
    for (const auto& [style, body] : std::vector<std::pair<vb::Long, std::string>>{
             {cButtonOffice, "Paint:OfficeBody \"\" pass 0"},
             {cButtonIExplorer, "Paint:OfficeBody \"\" pass 0"},
             {3, ""},
             {-1, ""}}) {
        f.site.log.Clear();
        f.rec().ButtonStyle = style;
        f.button.Redraw(0);
        Log expected{"Paint:DrawImage", "Paint:WriteCaption", "Paint:DropDownGlyph",
                     "Paint:drawMLine \"\""};
        if (!body.empty()) expected.insert(expected.begin(), body);
        EXPECT_EQ(Painted(), expected) << "ButtonStyle " << style;
    }
}

TEST_F(RedrawTest, DrawStateFollowsTheDropDownPressTable) {
    struct Row {
        bool drop_down;
        vb::Integer pass;
        std::string dd_state, state, expected;
    };
    const std::vector<Row> rows = {
        {false, 0, "down", "down", "down"}, {false, 0, "", "", ""},
        {true, 0, "", "down", "down"},      {true, 0, "down", "", ""},
        {true, 0, "n", "down", ""},         {true, 1, "down", "", "down"},
        {true, 1, "", "down", ""},          {true, 1, "n", "down", ""},
    };
    for (const auto& r : rows) {
        f.site.log.Clear();
        f.rec().DropDown = vb::Boolean(r.drop_down);
        f.rec().sDropDownState = r.dd_state;
        f.rec().sState = r.state;
        f.button.Redraw(r.pass);
        const Log painted = Painted();
        ASSERT_FALSE(painted.empty());
        EXPECT_EQ(painted.front(),
                  "Paint:XPBody \"" + r.expected + "\" pass " + std::to_string(r.pass))
            << r.drop_down << " " << r.pass << " '" << r.dd_state << "' '" << r.state << "'";
    }
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(RedrawTest, HighlightFollowsPressHoverAndFocus) {
    struct Row {
        std::string state;
        bool over, focus;
        std::string expected;
    };
    for (const auto& r : std::vector<Row>{{"down", true, true, ""},
                                          {"down", false, false, "orange"},
                                          {"", true, false, "orange"},
                                          {"", true, true, "orange"},
                                          {"", false, true, "blue"},
                                          {"", false, false, ""}}) {
        f.site.log.Clear();
        f.rec().sState = r.state;
        f.rec().bMouseOver = vb::Boolean(r.over);
        f.rec().bHasFocus = vb::Boolean(r.focus);
        f.button.Redraw(0);
        EXPECT_EQ(Painted().back(), "Paint:drawMLine \"" + r.expected + "\"")
            << r.state << " " << r.over << " " << r.focus;
    }
}

// A body that fills the surface with one colour per pass and leaves a frame colour.
struct FillingPainters : Painters {
    gdi::ColorRef normal = 0x0000FF, pressed = 0xFF0000, frame = 0x00FF00;
    int section = 16;
    mutable Log* log = nullptr;
    void XPBody(PaintContext& c) const override {
        c.surface.BackColor(c.ps.sDrawState == "down" ? pressed : normal);
        c.surface.ForeColor(frame);
    }
    void DropDownGlyph(PaintContext& c) const override {
        c.ps.bGlyphDrawn = vb::False;
        if (!c.rec.DropDown) return;
        if (!(c.ps.iPass == 1 || (c.ps.iPass == 0 && c.rec.sState.empty()))) return;
        const int w = vb::CLng(c.surface.ScaleWidth()), h = vb::CLng(c.surface.ScaleHeight());
        c.ps.rcDropDown = {w - section, 0, w, h};
        c.ps.rcMain = {0, 0, w - section, h};
        c.ps.bGlyphDrawn = vb::True;
    }
    void DropDownSeparator(PaintContext&) const override {
        if (log) log->push_back("separator");
    }
    // No rings and no caption, so that the composed pixels show only the two passes'
    // bodies.
    void drawMLine(PaintContext&, const std::string&) const override {}
    void WriteCaption(PaintContext&) const override {}
};

TEST_F(RedrawTest, RoundedFrameIsDrawnInTheColourTheXPBodyLeft) {
    auto painters = std::make_shared<FillingPainters>();
    f.button.SetPainters(painters);
    for (vb::Long style :
         std::vector<vb::Long>{cXPBlue, cXPSilver, cXPOlive, cCustom, cWinClassic, 3}) {
        f.rec().ColorStyle = style;
        f.button.Redraw(0);
        const auto px = f.site.Surface().Pixels();
        const bool framed = style != cWinClassic && style != 3;
        // Top edge at the middle, the right edge just inside the exclusive bound, and
        // the very corner, which the 5 x 5 ellipse leaves alone.
        EXPECT_EQ(px[37], framed ? painters->frame : painters->normal) << style;
        EXPECT_EQ(px[11 * 75 + 74], framed ? painters->frame : painters->normal) << style;
        EXPECT_EQ(px[0], painters->normal) << style;
        EXPECT_EQ(px[11 * 75 + 37], painters->normal) << style;
    }
    f.rec().ColorStyle = cXPBlue;
    f.rec().ButtonStyle = cButtonOffice;
    f.button.Redraw(0);
    EXPECT_NE(f.site.Surface().Pixels()[37], painters->frame);
}

TEST_F(RedrawTest, PressedSectionIsComposedFromTwoPasses) {
    Log separators;
    auto painters = std::make_shared<FillingPainters>();
    painters->log = &separators;
    f.button.SetPainters(painters);
    f.rec().DropDown = vb::True;
    f.rec().sState = "down";
    f.rec().sDropDownState = "down";
    f.button.Redraw(0);
    const auto px = f.site.Surface().Pixels();
    const int y = 11;
    for (int x = 1; x < 75 - 16; ++x) ASSERT_EQ(px[y * 75 + x], painters->normal) << x;
    for (int x = 75 - 16; x < 74; ++x) ASSERT_EQ(px[y * 75 + x], painters->pressed) << x;
    // The separator comes once, in the second pass, after the copy back.
    EXPECT_EQ(separators, Log{"separator"});
    EXPECT_TRUE(f.rec().picSnapshot);
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(RedrawTest, SplitPaintCallsEachPassInOrder) {
    f.rec().DropDown = vb::True;
    f.rec().sState = "down";
    f.rec().sDropDownState = "down";
    f.button.Redraw(0);
    // The second pass has no content step; the first pass draws no glyph, so only the
    // second pass ends with the separator.
    EXPECT_EQ(Painted(), (Log{"Paint:XPBody \"\" pass 0", "Paint:DrawImage", "Paint:WriteCaption",
                              "Paint:DropDownGlyph", "Paint:drawMLine \"\"",
                              "Paint:XPBody \"down\" pass 1", "Paint:DropDownGlyph",
                              "Paint:drawMLine \"orange\"", "Paint:DropDownSeparator"}));
}

TEST_F(RedrawTest, AFailingStepIsReportedAsRedrawOrSkippedWhenSilent) {
    f.site.FailOn("Surface");
    f.button.BackColor(0x00FF00);
    // Redraw reports for itself; the assignment goes on and notifies.
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_NE(services.boxes[0].text.find("Line/Procedure: 0/Redraw"), std::string::npos);
    EXPECT_EQ(f.site.log.Only({"PropertyChanged"}), Log{"PropertyChanged BackColor"});
    EXPECT_TRUE(Painted().empty());
}

}  // namespace
}  // namespace sheenwork
