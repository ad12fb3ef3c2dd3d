// The host surface's drawing methods on top of the raster: which pixels each covers.
#include <sheenwork/host/surface.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

#include "support/data.h"

namespace sheenwork::host {
namespace {

constexpr gdi::ColorRef kBack = 0xCCCCCC;
constexpr gdi::ColorRef kInk = 0x0000FF;

// The surface as text rows separated by '/': '.' for the back colour, '#' for ink, '?'
// for anything else.
std::string Rows(const Surface& s) {
    const auto px = s.Pixels();
    const int w = static_cast<int>(s.ScaleWidth()), h = static_cast<int>(s.ScaleHeight());
    std::string out;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto c = px[static_cast<std::size_t>(y) * w + x];
            out += c == kBack ? '.' : c == kInk ? '#' : '?';
        }
        out += y + 1 < h ? "/" : "";
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
    Surface s(*gdi, std::stoi(row[0]), std::stoi(row[0].substr(row[0].find('x') + 1)));
    s.BackColor(kBack);
    std::istringstream calls(row[1]);
    for (std::string call; std::getline(calls, call, ';');) {
        std::istringstream in(call);
        std::string name, word;
        std::vector<float> at;
        std::optional<std::uint32_t> color;
        for (in >> name; in >> word;)
            if (word == "ink")
                color = kInk;
            else
                at.push_back(std::stof(word));
        at.resize(4);
        if (name == "Line")
            s.Line(at[0], at[1], at[2], at[3], color);
        else if (name == "Box")
            s.Box(at[0], at[1], at[2], at[3], color);
        else if (name == "FilledBox")
            s.FilledBox(at[0], at[1], at[2], at[3], color);
        else if (name == "PSet")
            s.PSet(at[0], at[1], color);
        else if (name == "ForeColor")
            s.ForeColor(*color);
        else if (name == "Cls")
            s.Cls();
        else
            ADD_FAILURE() << row.where << ": no call " << name;
    }
    EXPECT_EQ(Rows(s), row[2]) << row.where;
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
    vb::StdFont underlined = initial;
    underlined.Underline(true);
    EXPECT_NE(draw(initial), draw(underlined));
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

}  // namespace
}  // namespace sheenwork::host

#include <sheenwork/host/picture_holder.h>
#include <sheenwork/vb/stdpicture.h>

namespace sheenwork::host {
namespace {

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
