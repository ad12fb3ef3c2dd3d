// Redraw's composition on painters that fill the surface with one colour per pass: the
// rounded frame in the colour the XP body left, and a pressed drop-down section composed
// from two passes. The order of the painters and the state each shows are steps in
// tests/data/input/redraw.txt.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>

#include <gtest/gtest.h>

#include "support/button_fixture.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using Log = std::vector<std::string>;

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

TEST(RedrawFill, RoundedFrameIsDrawnInTheColourTheXPBodyLeft) {
    testing::ButtonFixture f;
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

TEST(RedrawFill, PressedSectionIsComposedFromTwoPasses) {
    testing::RecordingServices services;
    testing::ButtonFixture f;
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

}  // namespace
}  // namespace sheenwork
