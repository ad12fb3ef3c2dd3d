// DrawImage: where the picture goes, which picture a state shows, the plain and the
// masked drawing and the error trap, observed through the painter's record fields, the
// site's log and the pixels of a small surface.
#include <sheenwork/control/enums.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/stdpicture.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <tuple>

#include "render/redraw.h"
#include "support/button_fixture.h"
#include "support/recording_services.h"
#include "support/recording_site.h"

namespace sheenwork {
namespace {

using gdi::ColorRef;
using Log = std::vector<std::string>;

constexpr ColorRef kMagenta = 0xFF00FF;

ColorRef RgbOf(std::uint32_t argb) {
    return gdi::Rgb((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// An opaque w x h picture: mask-colour pixels on every fourth diagonal, a black column
// at x = 2, and otherwise a colour that names its position.
host::PictureRef Picture(int w, int h, std::uint32_t tint = 0) {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint32_t c = 0xFF000000u |
                              static_cast<std::uint32_t>((x * 7) << 16 | ((y * 9) & 0xFF) << 8) |
                              (0x40 + tint);
            if (x == 2) c = 0xFF000000u;
            if ((x + y) % 4 == 0) c = 0xFFFF00FFu;
            px.push_back(c);
        }
    return std::make_shared<vb::StdPicture>(w, h, std::move(px));
}

// A w x h picture of one opaque colour, to tell the state pictures apart.
host::PictureRef Solid(std::uint32_t argb, int w = 16, int h = 16) {
    return std::make_shared<vb::StdPicture>(w, h,
                                            std::vector<std::uint32_t>(std::size_t(w) * h, argb));
}

ColorRef Beneath(int x, int y) { return gdi::Rgb(3 * x, 100 + 5 * y, 60); }

// One DrawImage on a recording site, the surface patterned beforehand so that a pixel
// left alone can be told from one drawn.
struct PaintFixture {
    explicit PaintFixture(int width = 75, int height = 23)
        : site(width, height), surface(site.Surface()), rec(testing::NewInstanceRecord()) {
        rec.UseMaskColor = vb::False;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                surface.Gdi().SetPixel(surface.hDC(), x, y, Beneath(x, y));
    }
    // Picture and holder as assigning Picture on an enabled button leaves them.
    void Show(host::PictureRef picture) {
        rec.Picture = picture;
        site.Holder().Picture(picture);
        site.Holder().NaturalSize(static_cast<float>(picture->PixelWidth()),
                                  static_cast<float>(picture->PixelHeight()));
    }
    void Run() {
        site.log.Clear();
        PaintContext c{rec, site, surface, ps};
        Painters{}.DrawImage(c);
    }
    int W() const { return static_cast<int>(surface.ScaleWidth()); }
    int H() const { return static_cast<int>(surface.ScaleHeight()); }
    // The surface with `picture` at (x0, y0) unscaled over the pattern; masked, its
    // mask-colour pixels keep the pattern.
    std::vector<ColorRef> With(const vb::StdPicture& picture, int x0, int y0, bool masked) const {
        std::vector<ColorRef> out;
        for (int y = 0; y < H(); ++y)
            for (int x = 0; x < W(); ++x) {
                const int px = x - x0, py = y - y0;
                ColorRef c = Beneath(x, y);
                if (px >= 0 && py >= 0 && px < picture.PixelWidth() && py < picture.PixelHeight()) {
                    const ColorRef p = RgbOf(picture.Pixel(px, py));
                    if (!masked || p != kMagenta) c = p;
                }
                out.push_back(c);
            }
        return out;
    }
    std::vector<ColorRef> Untouched() const {
        std::vector<ColorRef> out;
        for (int y = 0; y < H(); ++y)
            for (int x = 0; x < W(); ++x) out.push_back(Beneath(x, y));
        return out;
    }

    testing::RecordingSite site;
    host::Surface& surface;
    ButtonRecord rec;
    PaintState ps;
};

class DrawImageTest : public ::testing::Test {
protected:
    void SetUp() override { SetSilentError(vb::False); }
    void TearDown() override { SetSilentError(vb::False); }
    // Reports land here instead of a message box.
    testing::RecordingServices services;
};

TEST_F(DrawImageTest, NineAlignmentsOnTheStandardButton) {
    struct Row {
        vb::Long align;
        float x, y;
    };
    // Margins of 3 left, top and bottom; flush with the right edge; centres keep halves.
    const Row rows[] = {{0, 3, 3},     {1, 29.5f, 3}, {2, 59, 3},    {3, 3, 3.5f}, {4, 29.5f, 3.5f},
                        {5, 59, 3.5f}, {6, 3, 4},     {7, 29.5f, 4}, {8, 59, 4}};
    const auto pic = Picture(16, 16);
    for (const bool masked : {false, true})
        for (const Row& row : rows) {
            PaintFixture f;
            f.Show(pic);
            f.rec.UseMaskColor = vb::Boolean(masked);
            f.rec.PictureAlign = row.align;
            f.Run();
            SCOPED_TRACE("align " + std::to_string(row.align) + (masked ? " masked" : " plain"));
            EXPECT_EQ(f.rec.sngX, row.x);
            EXPECT_EQ(f.rec.sngY, row.y);
            // Plain drawing hands the halves to the host, masked drawing rounds them for
            // TransBlt; both round halves to even, so 29.5 and 3.5 land on 30 and 4.
            EXPECT_EQ(f.surface.Pixels(), f.With(*pic, static_cast<int>(std::nearbyint(row.x)),
                                                 static_cast<int>(std::nearbyint(row.y)), masked));
        }
}

TEST_F(DrawImageTest, HalvesRoundToTheEvenPixelOnBothPaths) {
    // (76 - 15) / 2 = 30.5 and (22 - 15) / 2 = 3.5: to 30 (down) and 4 (up).
    const auto pic = Picture(15, 15);
    for (const bool masked : {false, true}) {
        PaintFixture f(76, 22);
        f.Show(pic);
        f.rec.UseMaskColor = vb::Boolean(masked);
        f.rec.PictureAlign = cMitte_Mitte;
        f.Run();
        EXPECT_EQ(f.rec.sngX, 30.5f);
        EXPECT_EQ(f.surface.Pixels(), f.With(*pic, 30, 4, masked)) << masked;
    }
}

// A bitmap with soft edges (a PNG's alpha) is blended by its alpha over what is beneath
// on both paths, at the same rounded place: a pixel of alpha a shows the picture's a/255
// and the rest of the pixel beneath, never the mask colour; a clear one the pixel beneath.
// Its opaque pixels are copied, mask colour included: its alpha says what is transparent.
// An icon with the same pixels keeps the masked path: its soft edges meet the mask colour.
TEST_F(DrawImageTest, APictureWithSoftEdgesIsBlendedByItsAlphaOnBothPaths) {
    const std::vector<std::uint32_t> row = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFF00FF,
                                            0x40FFFFFF};
    std::vector<std::uint32_t> px;
    for (int y = 0; y < 3; ++y) px.insert(px.end(), row.begin(), row.end());
    const auto pic = std::make_shared<vb::StdPicture>(5, 3, px);
    for (const bool masked : {false, true}) {
        SCOPED_TRACE(masked ? "masked" : "plain");
        PaintFixture f(76, 22);
        f.Show(pic);
        f.rec.UseMaskColor = vb::Boolean(masked);
        f.rec.PictureAlign = cMitte_Mitte;  // (35.5, 9.5): to (36, 10) on both paths
        f.Run();
        const auto shown = f.surface.Pixels();
        for (int y = 0; y < f.H(); ++y)
            for (int x = 0; x < f.W(); ++x) {
                const ColorRef got = shown[std::size_t(y) * f.W() + x];
                const ColorRef under = Beneath(x, y);
                if (x < 36 || x >= 41 || y < 10 || y >= 13) {
                    EXPECT_EQ(got, under) << x << "," << y;
                    continue;
                }
                const std::uint32_t argb = row[std::size_t(x - 36)];
                const unsigned a = argb >> 24;
                const ColorRef src = RgbOf(argb);
                for (const int shift : {0, 8, 16}) {
                    const int s = (src >> shift) & 0xFF, d = (under >> shift) & 0xFF;
                    const int want = d + (s - d) * static_cast<int>(a) / 255;
                    EXPECT_NEAR(static_cast<int>((got >> shift) & 0xFF), want, 1)
                        << x << "," << y << " channel " << shift;
                }
            }
    }
    // Without soft edges a picture keeps the masked path: its mask colour is transparent.
    EXPECT_FALSE(Picture(4, 4)->SoftAlpha());
    EXPECT_TRUE(pic->SoftAlpha());
    PaintFixture f(76, 22);
    f.Show(std::make_shared<vb::StdPicture>(5, 3, px, vb::PictureType::Icon));
    f.rec.UseMaskColor = vb::True;
    f.rec.PictureAlign = cMitte_Mitte;
    f.Run();
    const ColorRef edge = f.surface.Pixels()[std::size_t(10) * f.W() + 37];  // alpha 0x80 green
    EXPECT_EQ(edge, gdi::Rgb(0x7F, 0x80, 0x7F)) << std::hex << edge;  // half magenta
}

TEST_F(DrawImageTest, ManualPositionComesFromTwipsAndUnknownAlignmentsKeepThePrevious) {
    const auto pic = Picture(8, 6);
    PaintFixture f;
    f.Show(pic);
    f.rec.PictureAlign = cBenutzerdefiniert;
    f.rec.PictureLeft = 232.5f;  // 15.5 pixels -> 16
    f.rec.PictureTop = 75;       // 5 pixels
    f.Run();
    EXPECT_EQ(f.site.log.Only({"Scale"}), (Log{"ScaleX 232.5", "ScaleY 75"}));
    EXPECT_EQ(f.rec.sngX, 15.5f);
    EXPECT_EQ(f.rec.sngY, 5.0f);
    EXPECT_EQ(f.surface.Pixels(), f.With(*pic, 16, 5, false));

    // Another alignment value draws where the caption painter left sngX / sngY.
    for (const vb::Long align : {9L, -1L, 98L}) {
        PaintFixture g;
        g.Show(pic);
        g.rec.PictureAlign = align;
        g.rec.sngX = 41;
        g.rec.sngY = 11;
        g.Run();
        EXPECT_EQ(g.rec.sngX, 41.0f);
        EXPECT_EQ(g.surface.Pixels(), g.With(*pic, 41, 11, false)) << align;
        EXPECT_TRUE(g.site.log.Only({"Scale"}).empty());
    }
}

TEST_F(DrawImageTest, PressedOffsetNeedsMoveCaptionAtDownAPressAndThePointer) {
    struct Row {
        bool move;
        std::string state;
        bool over;
        bool moved;
    };
    const Row rows[] = {{true, "down", true, true},
                        {true, "down", false, false},
                        {true, "", true, false},
                        {false, "down", true, false},
                        {true, "n", true, false}};
    for (const Row& row : rows) {
        PaintFixture f;
        f.Show(Picture(16, 16));
        f.rec.AllPicturesSame = vb::True;  // the same picture in every state
        f.rec.PictureAlign = cLinks_Oben;
        f.rec.MoveCaptionAtDown = vb::Boolean(row.move);
        f.rec.sState = row.state;
        f.rec.bMouseOver = vb::Boolean(row.over);
        f.Run();
        const float at = row.moved ? 4.0f : 3.0f;
        EXPECT_EQ(f.rec.sngX, at) << row.move << " '" << row.state << "' " << row.over;
        EXPECT_EQ(f.rec.sngY, at) << row.move << " '" << row.state << "' " << row.over;
    }
}

TEST_F(DrawImageTest, DropDownSectionShiftsThePictureAwayUnlessItSitsAtTheFarSide) {
    struct Row {
        vb::Long drop_align, picture_align;
        float x, y;
    };
    // DropDownSize 16; unshifted positions as in the nine-alignment table.
    const Row rows[] = {
        {cDropDownLeftDown, cLinks_Oben, 19, 3},       // left section: right by 16
        {cDropDownLeftUp, cMitte_Mitte, 45.5f, 3.5f},  // centred: by the whole size
        {cDropDownLeftDown, cRechts_Oben, 59, 3},      // already at the right
        {cDropDownLeftUp, cRechts_Unten, 59, 4},
        {cDropDownRightDown, cMitte_Oben, 13.5f, 3},  // right section: left by 16
        {cDropDownRightUp, cRechts_Mitte, 43, 3.5f},
        {cDropDownRightDown, cLinks_Mitte, 3, 3.5f},  // already at the left
        {cDropDownTopRight, cMitte_Oben, 29.5f, 19},  // top section: down by 16
        {cDropDownTopLeft, cLinks_Unten, 3, 4},       // already at the bottom
        {cDropDownTopLeft, cMitte_Unten, 29.5f, 4},
        {cDropDownBottomRight, cMitte_Mitte, 29.5f, -12.5f},  // bottom section: up by 16
        {cDropDownBottomLeft, cRechts_Oben, 59, 3},           // already at the top
        {8, cLinks_Oben, 3, 3},                               // unknown section: no shift
        {-1, cMitte_Mitte, 29.5f, 3.5f},
    };
    for (const Row& row : rows) {
        PaintFixture f;
        f.Show(Picture(16, 16));
        f.rec.DropDown = vb::True;
        f.rec.DropDownAlign = row.drop_align;
        f.rec.PictureAlign = row.picture_align;
        f.Run();
        EXPECT_EQ(f.rec.sngX, row.x) << row.drop_align << "/" << row.picture_align;
        EXPECT_EQ(f.rec.sngY, row.y) << row.drop_align << "/" << row.picture_align;
    }
    // A manual position moves too, and nothing moves without the section.
    PaintFixture f;
    f.Show(Picture(16, 16));
    f.rec.DropDown = vb::True;
    f.rec.DropDownAlign = cDropDownLeftDown;
    f.rec.DropDownSize = 7;
    f.rec.PictureAlign = cBenutzerdefiniert;
    f.rec.PictureLeft = 30;
    f.Run();
    EXPECT_EQ(f.rec.sngX, 9.0f);
    f.rec.DropDown = vb::False;
    f.Run();
    EXPECT_EQ(f.rec.sngX, 2.0f);
}

TEST_F(DrawImageTest, EachStateShowsItsOwnPictureWithoutFallback) {
    const auto normal = Solid(0xFF102030), over = Solid(0xFF405060), down = Solid(0xFF708090),
               dis = Solid(0xFFA0B0C0);
    struct Row {
        bool all_same, enabled;
        std::string state;
        bool over;
        host::PictureRef expected;
    };
    const Row rows[] = {
        {false, true, "", false, normal},   {false, true, "", true, over},
        {false, true, "down", true, down},  {false, true, "down", false, normal},
        {false, false, "", true, dis},      {false, false, "down", true, dis},
        {true, true, "down", true, normal}, {true, false, "", false, normal},
        {true, true, "", true, normal},
    };
    for (const Row& row : rows) {
        PaintFixture f;
        f.Show(normal);
        f.rec.PictureOver = over;
        f.rec.PictureDown = down;
        f.rec.PictureDis = dis;
        f.rec.AllPicturesSame = vb::Boolean(row.all_same);
        f.rec.Enabled = vb::Boolean(row.enabled);
        f.rec.sState = row.state;
        f.rec.bMouseOver = vb::Boolean(row.over);
        f.Run();
        const std::string what = std::to_string(row.all_same) + std::to_string(row.enabled) + " '" +
                                 row.state + "' " + std::to_string(row.over);
        EXPECT_EQ(f.rec.picCurrent, row.expected) << what;
        EXPECT_EQ(f.surface.Pixels(), f.With(*row.expected, 30, 3, false)) << what;
    }

    // Only Picture set: hovering, pressing and disabling show nothing and say so.
    for (const auto& setup : std::vector<std::function<void(ButtonRecord&)>>{
             [](ButtonRecord& r) { r.bMouseOver = vb::True; },
             [](ButtonRecord& r) {
                 r.sState = "down";
                 r.bMouseOver = vb::True;
             },
             [](ButtonRecord& r) { r.Enabled = vb::False; }}) {
        for (const bool masked : {false, true}) {
            PaintFixture f;
            f.Show(normal);
            f.rec.UseMaskColor = vb::Boolean(masked);
            f.rec.picCurrent = normal;  // from an earlier paint
            setup(f.rec);
            f.Run();
            EXPECT_EQ(f.rec.picCurrent, nullptr);
            EXPECT_EQ(f.surface.Pixels(), f.Untouched());
            EXPECT_TRUE(f.site.log.Only({"pTemp"}).empty());
        }
    }
}

TEST_F(DrawImageTest, AFailureIsReportedAndEndsThePaintOrIsSkippedWhenSilent) {
    const auto pic = Picture(8, 6);
    const auto setup = [&](PaintFixture& f) {
        f.Show(pic);
        f.rec.PictureAlign = cBenutzerdefiniert;
        f.rec.PictureLeft = 150;  // 10 pixels
        f.rec.PictureTop = 75;    // 5 pixels
        f.rec.sngX = 30;
        f.rec.sngY = 12;
        f.site.FailOn("ScaleX");
    };
    {
        PaintFixture f;
        setup(f);
        f.Run();
        ASSERT_EQ(services.boxes.size(), 1u);
        EXPECT_NE(services.boxes[0].text.find("0/DrawImage"), std::string::npos);
        EXPECT_NE(services.boxes[0].text.find("sheenButton"), std::string::npos);
        // Nothing after the failing statement ran.
        EXPECT_TRUE(f.site.log.Only({"ScaleY"}).empty());
        EXPECT_EQ(f.rec.sngY, 12.0f);
        EXPECT_EQ(f.rec.picCurrent, nullptr);
        EXPECT_EQ(f.surface.Pixels(), f.Untouched());
    }
    {
        SetSilentError(vb::True);
        services.boxes.clear();
        PaintFixture f;
        setup(f);
        f.Run();
        EXPECT_TRUE(services.boxes.empty());
        // sngX keeps what it held; everything after the failing statement ran.
        EXPECT_EQ(f.rec.sngX, 30.0f);
        EXPECT_EQ(f.rec.sngY, 5.0f);
        EXPECT_EQ(f.surface.Pixels(), f.With(*pic, 30, 5, false));
    }
}

}  // namespace
}  // namespace sheenwork
