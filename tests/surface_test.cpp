// The host surface on top of the raster: which pixels its drawing methods cover, and
// PaintPicture of a picture object (position and size rounded, stretching, shrinking and
// mirroring by GDI's rules), as the rows of tests/data/surface/drawing.txt say; straight
// alpha composited over what is beneath; system colours, snapshots, its font, and
// nothing leaked.
#include <sheenwork/host/picture_holder.h>
#include <sheenwork/host/surface.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/vb/stdpicture.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "button_scenes/button_scenes.h"
#include "support/data.h"

namespace sheenwork::host {
namespace {

constexpr gdi::ColorRef kBack = 0xCCCCCC;
constexpr gdi::ColorRef kInk = 0x0000FF;

// The surface as the table writes it: '.' the back colour, '#' ink, a letter for the
// pixels of "letters", '?' anything else, rows separated by '/'; after a marked picture,
// the names of the picture pixels ("columns/rows"), separated by blanks, rows by "; ".
std::string Said(const Surface& s, bool marked) {
    const auto px = s.Pixels();
    const std::size_t w = static_cast<std::size_t>(s.ScaleWidth());
    std::string out;
    for (std::size_t i = 0; i < px.size(); ++i) {
        if (i > 0) out += i % w != 0 ? (marked ? " " : "") : marked ? "; " : "/";
        const std::uint32_t rgb =
            gdi::RedOf(px[i]) << 16 | gdi::GreenOf(px[i]) << 8 | gdi::BlueOf(px[i]);
        if (px[i] == kBack || px[i] == kInk) {
            out += px[i] == kBack ? '.' : '#';
        } else if (px[i] % 16 == 0 && px[i] >= 0x10 && px[i] <= 0x60) {
            out += char('A' + px[i] / 16 - 1);
        } else if (!marked) {
            out += '?';
        } else {
            for (int b = 0; b < 24; ++b) {
                if (b == 12) out += '/';
                if ((rgb >> b & 1u) == 0) out += static_cast<char>('0' + b % 12);
            }
        }
    }
    return out;
}

struct SurfaceTest : ::testing::Test {
    void SetUp() override { vb::ResetSysColors(); }
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi();
};

struct SurfaceDrawing : SurfaceTest, ::testing::WithParamInterface<testing::Row> {};

TEST_P(SurfaceDrawing, CoversThePixelsTheRowShows) {
    const testing::Row& row = GetParam();
    const gdi::LiveObjects before = gdi::RasterLiveObjects(*gdi);
    auto s = std::make_unique<Surface>(*gdi, std::stoi(row[0]),
                                       std::stoi(row[0].substr(row[0].find('x') + 1)));
    s->BackColor(kBack);
    bool marked = false;
    std::istringstream calls(row[1]);
    for (std::string call; std::getline(calls, call, ';');) {
        auto words = scenes::Split(call);
        if (words.empty()) continue;
        const std::string name = words[0];
        words.erase(words.begin());
        host::PictureRef picture;
        if (name == "PaintPicture") {
            marked = marked || words.at(0).rfind("\"marked", 0) == 0;
            picture = scenes::ScenePicture(scenes::Unquote(words[0]));
            words.erase(words.begin());
        }
        std::optional<std::uint32_t> color;
        std::vector<float> at;
        for (const std::string& word : words)
            if (word == "ink")
                color = kInk;
            else
                at.push_back(std::stof(word));
        const std::size_t given = at.size();
        at.resize(4);
        if (name == "Line")
            s->Line(at[0], at[1], at[2], at[3], color);
        else if (name == "Box")
            s->Box(at[0], at[1], at[2], at[3], color);
        else if (name == "FilledBox")
            s->FilledBox(at[0], at[1], at[2], at[3], color);
        else if (name == "PSet")
            s->PSet(at[0], at[1], color);
        else if (name == "ForeColor")
            s->ForeColor(*color);
        else if (name == "Cls")
            s->Cls();
        else if (name == "PaintPicture" && given == 2)
            s->PaintPicture(*picture, at[0], at[1]);
        else if (name == "PaintPicture")
            s->PaintPicture(*picture, at[0], at[1], at[2], at[3]);
        else
            ADD_FAILURE() << row.where << ": no call " << name;
    }
    EXPECT_EQ(Said(*s, marked), row[2]) << row.where;
    s.reset();  // what it made goes with it
    EXPECT_EQ(gdi::RasterLiveObjects(*gdi), before) << row.where;
}

INSTANTIATE_TEST_SUITE_P(Table, SurfaceDrawing,
                         ::testing::ValuesIn(testing::ReadTable("surface/drawing.txt")),
                         testing::RowName);

TEST_F(SurfaceTest, SystemColoursResolveWhenUsed) {
    Surface s(*gdi, 2, 1);
    s.BackColor(0x8000000F);  // button face
    EXPECT_EQ(s.Pixels()[0], vb::SysColor(15));
    vb::SetSysColor(16, 0x123456);
    s.PSet(1, 0, 0x80000010);
    EXPECT_EQ(s.Pixels()[1], 0x123456u);
}

TEST_F(SurfaceTest, SnapshotIsACopyAndPaintsBackUnscaled) {
    Surface s(*gdi, 4, 2);
    s.BackColor(kBack);
    s.PSet(0, 0, kInk);
    s.PSet(3, 1, kInk);
    const auto snapshot = s.Image();
    s.BackColor(0x00FF00);
    EXPECT_EQ(snapshot->pixels[0], kInk);  // the snapshot does not follow the surface
    // Copy back all but the first column, destination and source at the same place.
    s.PaintPicture(*snapshot, 1, 0, 3, 2, 1, 0, 3, 2);
    const auto px = s.Pixels();
    EXPECT_EQ(px[0], 0x00FF00u);
    EXPECT_EQ(px[1], kBack);
    EXPECT_EQ(px[7], kInk);
}

// The surface's font is in its DC from the start, not only once another font has been
// set, and each attribute reaches the GDI font.
TEST_F(SurfaceTest, ItsFontIsInTheDcFromTheStartWithItsAttributes) {
    Surface s(*gdi, 40, 20);
    const vb::StdFont initial = s.Font();
    gdi::TextMetric at_start, again;
    ASSERT_TRUE(gdi->GetTextMetrics(s.hDC(), &at_start));
    s.Font(vb::StdFont("DejaVu Serif", 20));
    s.Font(initial);
    ASSERT_TRUE(gdi->GetTextMetrics(s.hDC(), &again));
    EXPECT_EQ(at_start, again);

    const auto draw = [&](const vb::StdFont& font) {
        s.Cls();
        s.Font(font);
        gdi::Rect r{0, 0, 40, 20};
        gdi->DrawTextA(s.hDC(), "ab", -1, &r, 0);
        return s.Pixels();
    };
    const auto plain = draw(initial);
    vb::StdFont underlined = initial, italic = initial;
    underlined.Underline(true);
    italic.Italic(true);
    EXPECT_NE(draw(underlined), plain);
    // Back to the font set before: the one asked for, not another kept beside it.
    EXPECT_EQ(draw(initial), plain);
    EXPECT_NE(draw(italic), plain);
}

TEST_F(SurfaceTest, ReleasesEverythingItCreated) {
    const auto before = gdi::RasterLiveObjects(*gdi);
    {
        Surface s(*gdi, 5, 5);
        s.ForeColor(kInk);
        s.Line(0, 0, 4, 4, 0xFF0000);
        s.Box(0, 0, 4, 4);
        s.Resize(7, 3);
        s.PaintPicture(*s.Image(), 1, 1);
    }
    EXPECT_EQ(gdi::RasterLiveObjects(*gdi), before);
}

TEST_F(SurfaceTest, StraightAlphaIsCompositedOverTheSurface) {
    Surface s(*gdi, 4, 1);
    s.BackColor(0xFFFFFF);
    const gdi::LiveObjects before = gdi::RasterLiveObjects(*gdi);
    // Transparent, half red, opaque green, quarter blue (0x40).
    s.PaintPicture(vb::StdPicture(4, 1, {0x00123456, 0x80FF0000, 0xFF00FF00, 0x400000FF}), 0, 0);
    const auto px = s.Pixels();
    EXPECT_EQ(px[0], 0xFFFFFFu);
    // Red premultiplied by 0x80 is 128; white beneath keeps (255 * 127 + 127) / 255 = 127.
    EXPECT_EQ(px[1], gdi::Rgb(255, 127, 127));
    EXPECT_EQ(px[2], gdi::Rgb(0, 255, 0));
    // Blue 255 * 64 / 255 = 64 plus white's 191 in every channel.
    EXPECT_EQ(px[3], gdi::Rgb(191, 191, 255));
    EXPECT_EQ(gdi::RasterLiveObjects(*gdi), before);

    // Premultiplying rounds to nearest: 1 * 128 / 255 is 1, not 0.
    s.BackColor(0x000000);
    s.PaintPicture(vb::StdPicture(1, 1, {0x80010101}), 0, 0);
    EXPECT_EQ(s.Pixels()[0], gdi::Rgb(1, 1, 1));

    // Stretched, each destination pixel blends its own source pixel once.
    s.PaintPicture(vb::StdPicture(1, 1, {0x80FFFFFF}), 0, 0, 4.0f, 1.0f);
    for (gdi::ColorRef c : s.Pixels()) EXPECT_EQ(c, gdi::Rgb(128, 128, 128));
}

TEST_F(SurfaceTest, ALoadedIconShowsTheFaceThroughItsAlpha) {
    auto icon =
        picture::LoadPicture(std::string(SHEENWORK_TEST_DATA_DIR) + "/pictures/three-sizes.ico");
    Surface s(*gdi, 40, 34);
    s.BackColor(0x80000000 | gdi::COLOR_3DFACE);
    const gdi::ColorRef face = vb::SysColor(gdi::COLOR_3DFACE);
    s.PaintPicture(*icon, 4, 1);
    const auto px = s.Pixels();
    auto at = [&](int x, int y) { return px[static_cast<std::size_t>(y) * 40 + x]; };
    EXPECT_EQ(at(3, 10), face);
    EXPECT_EQ(at(36, 10), face);
    EXPECT_EQ(at(30, 20), gdi::Rgb(255, 0, 0));  // the opaque right half
    // The left half: red at 0x80 over the face.
    const auto mix = [](unsigned s, unsigned d) {
        return (s * 128 + 127) / 255 + (d * 127 + 127) / 255;
    };
    EXPECT_EQ(at(10, 20), gdi::Rgb(mix(255, gdi::RedOf(face)), mix(0, gdi::GreenOf(face)),
                                   mix(0, gdi::BlueOf(face))));
}

TEST(ImageHolder, TakesTheNaturalSizeOnlyWhileStretchingIsOff) {
    ImageHolder holder;
    auto big = std::make_shared<vb::StdPicture>(32, 24, std::vector<std::uint32_t>(32 * 24));
    auto small = std::make_shared<vb::StdPicture>(16, 16, std::vector<std::uint32_t>(16 * 16));
    holder.Width(5);
    holder.Picture(big);
    EXPECT_EQ(holder.Width(), 32);
    EXPECT_EQ(holder.Height(), 24);
    holder.Stretch(vb::True);
    holder.Width(64);
    holder.Picture(small);  // stretching on: the assigned size stays
    EXPECT_EQ(holder.Width(), 64);
    EXPECT_EQ(holder.Height(), 24);
    holder.Stretch(vb::False);
    EXPECT_EQ(holder.Width(), 16);
    holder.Picture(nullptr);
    EXPECT_EQ(holder.Width(), 0);
    EXPECT_EQ(holder.Height(), 0);
}

}  // namespace
}  // namespace sheenwork::host
