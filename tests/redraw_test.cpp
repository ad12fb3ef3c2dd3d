// Redraw's rounded frame on a body that fills the surface with one colour: which schemes
// get it, in the colour the XP body left. The order of the painters and the state each
// shows are steps in tests/data/input/redraw.txt; a pressed drop-down section composed
// from two passes is painters_test.cpp's.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>

#include <gtest/gtest.h>

#include "support/button_fixture.h"

namespace sheenwork {
namespace {

// A body that fills the surface with one colour and leaves a frame colour.
struct FillingPainters : Painters {
    gdi::ColorRef normal = 0x0000FF, frame = 0x00FF00;
    void XPBody(PaintContext& c) const override {
        c.surface.BackColor(normal);
        c.surface.ForeColor(frame);
    }
    // No rings and no caption, so that the pixels show only the body and the frame.
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

}  // namespace
}  // namespace sheenwork
