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
// the names of the picture pixels ("columns/rows"), separated by blanks, rows by "; ";
// where the row wants `hex`, every pixel as six hex digits (0xBBGGRR), rows by " / ".
std::string Said(const Surface& s, bool marked, bool hex) {
    const auto px = s.Pixels();
    const std::size_t w = static_cast<std::size_t>(s.ScaleWidth());
    std::string out = hex ? "hex" : "";
    for (std::size_t i = 0; i < px.size(); ++i) {
        const bool row_start = i % w == 0;
        if (hex)
            out += i > 0 && row_start ? " / " : " ";
        else if (i > 0)
            out += !row_start ? (marked ? " " : "") : marked ? "; " : "/";
        const std::uint32_t rgb =
            gdi::RedOf(px[i]) << 16 | gdi::GreenOf(px[i]) << 8 | gdi::BlueOf(px[i]);
        char digits[8];
        std::snprintf(digits, sizeof digits, "%06X", static_cast<unsigned>(px[i]));
        if (hex) {
            out += digits;
        } else if (px[i] == kBack || px[i] == kInk) {
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
    std::shared_ptr<SurfaceImage> snapshot;
    std::istringstream calls(row[1]);
    for (std::string call; std::getline(calls, call, ';');) {
        auto words = scenes::Split(call);
        if (words.empty()) continue;
        const std::string name = words[0];
        words.erase(words.begin());
        host::PictureRef picture;
        if (name == "PaintPicture" && words.at(0) != "snapshot") {
            const std::string picture_name = scenes::Unquote(words[0]);
            marked = marked || picture_name.starts_with("marked");
            picture = picture_name.starts_with("file ")
                          ? picture::LoadPicture(testing::DataPath(picture_name.substr(5)).string())
                          : scenes::ScenePicture(picture_name);
        }
        if (name == "PaintPicture") words.erase(words.begin());
        // Numbers, and the colour: `ink` or a 0x number.
        std::optional<std::uint32_t> color;
        std::vector<float> at;
        for (const std::string& word : words)
            if (word == "ink" || word.starts_with("0x"))
                color = word == "ink" ? kInk : std::stoul(word, nullptr, 16);
            else
                at.push_back(std::stof(word));
        const std::size_t given = at.size();
        at.resize(8);
        const gdi::LiveObjects before_call = gdi::RasterLiveObjects(*gdi);
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
        else if (name == "BackColor")
            s->BackColor(*color);
        else if (name == "SetSysColor")
            vb::SetSysColor(static_cast<int>(at[0]), *color);
        else if (name == "Cls")
            s->Cls();
        else if (name == "Resize")
            s->Resize(static_cast<int>(at[0]), static_cast<int>(at[1]));
        else if (name == "Snapshot")
            snapshot = s->Image();
        else if (name == "PaintPicture" && picture == nullptr)
            s->PaintPicture(*snapshot, at[0], at[1], at[2], at[3], at[4], at[5], at[6], at[7]);
        else if (name == "PaintPicture" && given == 2)
            s->PaintPicture(*picture, at[0], at[1]);
        else if (name == "PaintPicture")
            s->PaintPicture(*picture, at[0], at[1], at[2], at[3]);
        else
            ADD_FAILURE() << row.where << ": no call " << name;
        // A picture paints with objects of its own and releases them at once.
        if (name == "PaintPicture") {
            EXPECT_EQ(gdi::RasterLiveObjects(*gdi), before_call) << row.where << ": kept objects";
        }
    }
    EXPECT_EQ(Said(*s, marked, row[2].starts_with("hex")), row[2]) << row.where;
    s.reset();  // what it made goes with it
    EXPECT_EQ(gdi::RasterLiveObjects(*gdi), before) << row.where;
}

INSTANTIATE_TEST_SUITE_P(Table, SurfaceDrawing,
                         ::testing::ValuesIn(testing::ReadTable("surface/drawing.txt")),
                         testing::RowName);

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
