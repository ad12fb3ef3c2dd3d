// PaintPicture of a picture object on the control surface: position and size rounded,
// stretching, shrinking and mirroring by GDI's rules (the cases of
// tests/data/paint/picture_paint.txt), straight alpha composited over what is beneath,
// nothing outside the covered pixels touched and nothing leaked.
#include <sheenwork/host/surface.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenes/scenes.h"
#include "support/data.h"

namespace sheenwork::host {
namespace {

constexpr gdi::ColorRef kBack = 0xCCCCCC;

struct PicturePaint : ::testing::Test {
    void SetUp() override { vb::ResetSysColors(); }
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi();
};

// The pictures of the table. "letters": 3 x 2 opaque, A B C / D E F. "marked WxH
// [translucent]": pixel (c, r) white with bit c and bit 12 + r cleared, so that a surface
// pixel names the picture pixels it was made of, "columns/rows" ("01/2" for the AND of
// (0, 2) and (1, 2)); a translucent one has its last pixel at alpha 0x80, never drawn.
vb::StdPicture TablePicture(const std::vector<std::string>& w) {
    if (w.at(0) == "none") return vb::StdPicture(0, 0, {}, vb::PictureType::None);
    if (w[0] == "letters")
        return vb::StdPicture(
            3, 2, {0xFF100000, 0xFF200000, 0xFF300000, 0xFF400000, 0xFF500000, 0xFF600000});
    const int pw = std::stoi(w.at(1)), ph = std::stoi(w[1].substr(w[1].find('x') + 1));
    std::vector<std::uint32_t> argb;
    for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; ++x) argb.push_back(0xFFFFFFFFu & ~(1u << x) & ~(1u << (12 + y)));
    if (w.size() > 2) argb.back() = 0x80FFFFFFu;
    return vb::StdPicture(pw, ph, argb);
}

// The surface as the table writes it: rows separated by "; ", "." the back colour, and a
// letter (for "letters") or the names of the picture pixels (separated by blanks).
std::string Said(const Surface& s, bool letters) {
    const auto px = s.Pixels();
    const std::size_t w = static_cast<std::size_t>(s.ScaleWidth());
    std::string out;
    for (std::size_t i = 0; i < px.size(); ++i) {
        if (i > 0) out += i % w == 0 ? "; " : letters ? "" : " ";
        const std::uint32_t rgb =
            gdi::RedOf(px[i]) << 16 | gdi::GreenOf(px[i]) << 8 | gdi::BlueOf(px[i]);
        if (px[i] == kBack) {
            out += '.';
        } else if (letters) {
            out += px[i] % 16 == 0 && px[i] >= 0x10 && px[i] <= 0x60 ? char('A' + px[i] / 16 - 1)
                                                                     : '?';
        } else {
            for (int b = 0; b < 24; ++b) {
                if (b == 12) out += '/';
                if ((rgb >> b & 1u) == 0) out += static_cast<char>('0' + b % 12);
            }
        }
    }
    return out;
}

// tests/data/paint/picture_paint.txt: one PaintPicture and the surface it leaves.
class PicturePaintTable : public PicturePaint,
                          public ::testing::WithParamInterface<testing::Row> {};

TEST_P(PicturePaintTable, LeavesTheSurfaceTheRowSays) {
    const testing::Row& row = GetParam();
    const auto picture = scenes::Split(row[0]), at = scenes::Split(row[2]);
    Surface s(*gdi, std::stoi(row[1]), std::stoi(row[1].substr(row[1].find('x') + 1)));
    s.BackColor(kBack);
    const auto f = [&](std::size_t i) { return std::stof(at.at(i)); };
    if (at.size() == 2)
        s.PaintPicture(TablePicture(picture), f(0), f(1));
    else
        s.PaintPicture(TablePicture(picture), f(0), f(1), f(2), f(3));
    EXPECT_EQ(Said(s, picture[0] != "marked"), row[3]) << row.where;
}

INSTANTIATE_TEST_SUITE_P(Table, PicturePaintTable,
                         ::testing::ValuesIn(testing::ReadTable("paint/picture_paint.txt")),
                         testing::RowName);

TEST_F(PicturePaint, StraightAlphaIsCompositedOverTheSurface) {
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

TEST_F(PicturePaint, LoadedIconShowsTheFaceThroughItsAlpha) {
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

}  // namespace
}  // namespace sheenwork::host
