// DrawImage: where the picture goes, which picture a state shows, the plain and the
// masked drawing and the error trap, observed through the painter's record fields, the
// site's log and the pixels of a small surface. The cases are the rows of
// tests/data/paint/pictures.txt and picture_states.txt.
#include <sheenwork/control/enums.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/stdpicture.h>

#include <gtest/gtest.h>

#include <sstream>

#include "button_scenes/button_scenes.h"
#include "render/redraw.h"
#include "scenes/scenes.h"
#include "support/button_fixture.h"
#include "support/data.h"
#include "support/recording_services.h"
#include "support/recording_site.h"

namespace sheenwork {
namespace {

using gdi::ColorRef;
using Log = std::vector<std::string>;

ColorRef Beneath(int x, int y) { return gdi::Rgb(3 * x, 100 + 5 * y, 60); }

// One DrawImage on a recording site, the surface patterned beforehand so that a pixel
// left alone can be told from one drawn.
struct PaintFixture {
    PaintFixture(int width, int height, const std::string& assignments,
                 const std::string& fail_on = "")
        : site(width, height), surface(site.Surface()), rec(testing::NewInstanceRecord()) {
        rec.UseMaskColor = vb::False;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                surface.Gdi().SetPixel(surface.hDC(), x, y, Beneath(x, y));
        std::istringstream in(assignments);
        for (std::string a; std::getline(in, a, ';');) scenes::Assign(site, rec, scenes::Split(a));
        site.log.Clear();
        if (!fail_on.empty()) site.FailOn(fail_on);
        PaintContext c{rec, site, surface, ps};
        Painters{}.DrawImage(c);
    }
    // The surface with `picture` (none: nothing) at (x0, y0) unscaled over the pattern;
    // masked, its mask-colour pixels keep the pattern.
    std::vector<ColorRef> With(const vb::StdPicture* picture, int x0 = 0, int y0 = 0,
                               bool masked = false) const {
        std::vector<ColorRef> out;
        for (int y = 0; y < surface.ScaleHeight(); ++y)
            for (int x = 0; x < surface.ScaleWidth(); ++x) {
                const int px = x - x0, py = y - y0;
                ColorRef c = Beneath(x, y);
                if (picture != nullptr && px >= 0 && py >= 0 && px < picture->PixelWidth() &&
                    py < picture->PixelHeight()) {
                    const std::uint32_t p = picture->Pixel(px, py);
                    if (!masked || (p & 0xFFFFFFu) != 0xFF00FFu)
                        c = gdi::Rgb((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
                }
                out.push_back(c);
            }
        return out;
    }

    testing::RecordingSite site;
    host::Surface& surface;
    ButtonRecord rec;
    PaintState ps;
};

struct DrawImageTest : ::testing::Test {
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override { SetSilentError(vb::False); }
    testing::RecordingServices services;  // reports land here instead of a message box
};

struct PicturePosition : DrawImageTest, ::testing::WithParamInterface<testing::Row> {};

TEST_P(PicturePosition, IsWhereTheRowSays) {
    const testing::Row& row = GetParam();
    PaintFixture f(std::stoi(row[1]), std::stoi(row[1].substr(row[1].find('x') + 1)), row[0]);
    std::istringstream at(row[2]);
    float x = 0, y = 0;
    at >> x >> y;
    EXPECT_EQ(f.rec.sngX, x) << row.where;
    EXPECT_EQ(f.rec.sngY, y) << row.where;
    Log scales;
    std::istringstream asks(row.size() > 4 ? row[4] : "");
    for (std::string s; std::getline(asks >> std::ws, s, ',');) scales.push_back(s);
    EXPECT_EQ(f.site.log.Only({"Scale"}), scales) << row.where;
    if (row.size() < 4 || row[3].empty()) return;
    std::istringstream drawn(row[3]);
    std::string how;
    int px = 0, py = 0;
    drawn >> how >> px >> py;
    EXPECT_EQ(f.surface.Pixels(), f.With(f.rec.Picture.get(), px, py, how == "masked"))
        << row.where;
}

INSTANTIATE_TEST_SUITE_P(Table, PicturePosition,
                         ::testing::ValuesIn(testing::ReadTable("paint/pictures.txt")),
                         testing::RowName);

struct PictureState : DrawImageTest, ::testing::WithParamInterface<testing::Row> {};

TEST_P(PictureState, ShowsItsOwnPictureWithoutFallback) {
    const testing::Row& row = GetParam();
    PaintFixture f(75, 23, row[0]);
    const std::map<std::string, host::PictureRef> pictures = {{"Picture", f.rec.Picture},
                                                              {"PictureOver", f.rec.PictureOver},
                                                              {"PictureDown", f.rec.PictureDown},
                                                              {"PictureDis", f.rec.PictureDis},
                                                              {"none", nullptr}};
    const host::PictureRef expected = pictures.at(row[1]);
    EXPECT_EQ(f.rec.picCurrent, expected) << row.where;
    EXPECT_EQ(f.surface.Pixels(), f.With(expected.get(), 30, 3)) << row.where;
    if (expected == nullptr) {
        EXPECT_EQ(f.site.log.Only({"pTemp"}), Log{}) << row.where;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PictureState,
                         ::testing::ValuesIn(testing::ReadTable("paint/picture_states.txt")),
                         testing::RowName);

// A bitmap with soft edges (a PNG's alpha, the `soft` picture: one row of opaque red, half
// green, clear blue, opaque mask colour and quarter white, three times) is blended by its
// alpha over what is beneath on both paths, at the same rounded place: a pixel of alpha a
// shows a/255 of the picture and the rest of the pixel beneath, never the mask colour.
// An icon with the same pixels keeps the masked path: its soft edges meet the mask colour.
TEST_F(DrawImageTest, APictureWithSoftEdgesIsBlendedByItsAlphaOnBothPaths) {
    const std::uint32_t row[] = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFF00FF, 0x40FFFFFF};
    for (const char* masked : {"False", "True"}) {
        PaintFixture f(76, 22,
                       std::string("Picture = soft; PictureAlign = cMitte_Mitte; UseMaskColor = ") +
                           masked);  // (35.5, 9.5): to (36, 10) on both paths
        EXPECT_TRUE(f.rec.Picture->SoftAlpha());
        const auto shown = f.surface.Pixels();
        for (int y = 0; y < 22; ++y)
            for (int x = 0; x < 76; ++x) {
                const ColorRef got = shown[std::size_t(y) * 76 + x], under = Beneath(x, y);
                const bool inside = x >= 36 && x < 41 && y >= 10 && y < 13;
                const std::uint32_t argb = inside ? row[x - 36] : 0;
                for (const int shift : {0, 8, 16}) {
                    const int s = (argb >> (16 - shift)) & 0xFF, d = (under >> shift) & 0xFF;
                    const int want = d + (s - d) * static_cast<int>(argb >> 24) / 255;
                    EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), want, inside ? 1 : 0)
                        << masked << " " << x << "," << y << " channel " << shift;
                }
            }
    }
    EXPECT_FALSE(PaintFixture(76, 22, "Picture = pattern 4x4").rec.Picture->SoftAlpha());
    PaintFixture f(76, 22, "Picture = soft icon; PictureAlign = cMitte_Mitte; UseMaskColor = True");
    const ColorRef edge = f.surface.Pixels()[std::size_t(10) * 76 + 37];  // alpha 0x80 green
    EXPECT_EQ(edge, gdi::Rgb(0x7F, 0x80, 0x7F)) << std::hex << edge;      // half magenta
}

// A failing statement is reported and ends the paint, or is skipped with errors silent.
TEST_F(DrawImageTest, AFailureIsReportedAndEndsThePaintOrIsSkippedWhenSilent) {
    for (const bool silent : {false, true}) {
        SetSilentError(vb::Boolean(silent));
        services.boxes.clear();
        // PictureLeft and PictureTop of 10 and 5 pixels
        PaintFixture f(75, 23,
                       "Picture = pattern 8x6; PictureAlign = cBenutzerdefiniert; PictureLeft = "
                       "150; PictureTop = 75; sngX = 30; sngY = 12",
                       "ScaleX");
        if (!silent) {
            ASSERT_EQ(services.boxes.size(), 1u);
            EXPECT_NE(services.boxes[0].text.find("0/DrawImage"), std::string::npos);
            EXPECT_NE(services.boxes[0].text.find("sheenButton"), std::string::npos);
            // Nothing after the failing statement ran.
            EXPECT_EQ(f.site.log.Only({"ScaleY"}), Log{});
            EXPECT_EQ(f.rec.sngY, 12.0f);
            EXPECT_EQ(f.rec.picCurrent, nullptr);
            EXPECT_EQ(f.surface.Pixels(), f.With(nullptr));
        } else {
            EXPECT_TRUE(services.boxes.empty());
            // sngX keeps what it held (30); everything after the failing statement ran.
            EXPECT_EQ(f.rec.sngX, 30.0f);
            EXPECT_EQ(f.rec.sngY, 5.0f);
            EXPECT_EQ(f.surface.Pixels(), f.With(f.rec.Picture.get(), 30, 5));
        }
    }
}

}  // namespace
}  // namespace sheenwork
