// PaintPicture of a picture object on the control surface: position and size rounded,
// stretching, shrinking and mirroring by GDI's rules, straight alpha composited over
// what is beneath, nothing outside the covered pixels touched and nothing leaked.
#include <sheenwork/host/surface.h>
#include <sheenwork/picture/load.h>
#include <sheenwork/vb/syscolors.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sheenwork::host {
namespace {

constexpr gdi::ColorRef kBack = 0xCCCCCC;

struct PicturePaint : ::testing::Test {
    void SetUp() override { vb::ResetSysColors(); }
    std::unique_ptr<gdi::Gdi> gdi = gdi::MakeRasterGdi();

    // The surface as rows of letters: '.' back colour, a letter per picture colour.
    static std::string Rows(const Surface& s,
                            const std::vector<std::pair<gdi::ColorRef, char>>& key) {
        const auto px = s.Pixels();
        const int w = static_cast<int>(s.ScaleWidth()), h = static_cast<int>(s.ScaleHeight());
        std::string out;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const gdi::ColorRef c = px[static_cast<std::size_t>(y) * w + x];
                char ch = c == kBack ? '.' : '?';
                for (auto& [color, letter] : key)
                    if (c == color) ch = letter;
                out += ch;
            }
            out += '\n';
        }
        return out;
    }
};

// 3 x 2 opaque picture: A B C / D E F.
vb::StdPicture Letters() {
    return vb::StdPicture(3, 2,
                          {0xFF100000, 0xFF200000, 0xFF300000, 0xFF400000, 0xFF500000, 0xFF600000});
}
const std::vector<std::pair<gdi::ColorRef, char>> kLetters = {
    {0x10, 'A'}, {0x20, 'B'}, {0x30, 'C'}, {0x40, 'D'}, {0x50, 'E'}, {0x60, 'F'}};

TEST_F(PicturePaint, PositionRoundsHalvesToEvenAndSizeStretchesOrMirrors) {
    Surface s(*gdi, 7, 3);
    s.BackColor(kBack);
    const vb::StdPicture p = Letters();
    s.PaintPicture(p, 1.5f, 0.5f);  // (2, 0)
    EXPECT_EQ(Rows(s, kLetters), "..ABC..\n..DEF..\n.......\n");
    s.Cls();
    s.PaintPicture(p, 2.5f, 1.5f);  // (2, 2), cut by the bottom edge
    EXPECT_EQ(Rows(s, kLetters), ".......\n.......\n..ABC..\n");
    s.Cls();
    // Enlarged, each pixel shows the picture pixel under its centre, a tie going to the
    // lower one: 3 columns onto 7 give floor((6 i + 2) / 14), 2 rows onto 3 floor((4 j + 1) / 6).
    s.PaintPicture(p, 0, 0, 7.0f, 3.0f);
    EXPECT_EQ(Rows(s, kLetters), "AABBBCC\nAABBBCC\nDDEEEFF\n");
    s.Cls();
    // Negative extents cover x + w + 1 .. x and y + h + 1 .. y, picture pixel (0, 0) at (x, y).
    s.PaintPicture(p, 5, 1, -3.0f, -2.0f);
    EXPECT_EQ(Rows(s, kLetters), "...FED.\n...CBA.\n.......\n");
    s.Cls();
    s.PaintPicture(p, 1, 1, 0.0f, 2.0f);  // zero width: nothing
    s.PaintPicture(p, 1, 1, 0.4f, 2.0f);  // rounds to zero
    s.PaintPicture(p, -100, 0);
    s.PaintPicture(vb::StdPicture(0, 0, {}, vb::PictureType::None), 0, 0);
    EXPECT_EQ(Rows(s, kLetters), ".......\n.......\n.......\n");
}

// Picture pixel (c, r) is white with bit c and bit 12 + r cleared, so that a surface pixel
// names the picture pixels it was made of: "columns/rows", as "01/2" for the AND of
// (0, 2) and (1, 2); "." is the back colour; rows of the surface are split by " | ".
std::uint32_t Marked(int c, int r) { return 0xFFFFFFFFu & ~(1u << c) & ~(1u << (12 + r)); }
std::string Names(const Surface& s) {
    const auto px = s.Pixels();
    const int w = static_cast<int>(s.ScaleWidth());
    std::string out;
    for (std::size_t i = 0; i < px.size(); ++i) {
        if (i > 0) out += i % w == 0 ? " | " : " ";
        if (px[i] == kBack) {
            out += '.';
            continue;
        }
        const std::uint32_t rgb =
            gdi::RedOf(px[i]) << 16 | gdi::GreenOf(px[i]) << 8 | gdi::BlueOf(px[i]);
        for (int b = 0; b < 24; ++b) {
            if (b == 12) out += '/';
            if ((rgb >> b & 1u) == 0) out += static_cast<char>('0' + b % 12);
        }
    }
    return out;
}

// Drawn smaller on a 3 x 2 surface. Opaque pictures go as the host's StretchBlt: the
// columns (rows) whose centres fall in one pixel are ANDed, and a destination one pixel
// wide (high) leaves out the last column (row). A translucent one goes as AlphaBlend,
// which keeps the first of the rows and the last of the columns that fall together.
TEST_F(PicturePaint, ShrinkingCombinesOrChoosesAsGdiDoes) {
    struct Case {
        const char* what;
        bool translucent;
        int pw, ph;
        float x, y, w, h;
        const char* expected;
    };
    const Case cases[] = {
        {"5 x 3 onto 3 x 2", false, 5, 3, 0, 0, 3, 2, "01/01 2/01 34/01 | 01/2 2/2 34/2"},
        {"one row high", false, 6, 2, 0, 0, 3, 1, "01/0 23/0 45/0 | . . ."},
        {"one column wide", false, 3, 2, 1, 0, 1, 2, ". 01/0 . | . 01/1 ."},
        {"mirrored", false, 6, 2, 2, 0, -3, 2, "45/0 23/0 01/0 | 45/1 23/1 01/1"},
        {"cut by the left edge", false, 6, 2, -1, 0, 3, 2, "23/0 45/0 . | 23/1 45/1 ."},
        {"translucent", true, 6, 2, 0, 0, 3, 1, "1/0 3/0 5/0 | . . ."},
        // AlphaBlend takes no mirrored extents: the picture is turned first.
        {"translucent mirrored", true, 6, 2, 2, 1, -3, -2, "4/1 2/1 0/1 | 4/0 2/0 0/0"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint32_t> argb;
        for (int y = 0; y < c.ph; ++y)
            for (int x = 0; x < c.pw; ++x) argb.push_back(Marked(x, y));
        if (c.translucent) argb.back() = 0x80FFFFFFu;  // a pixel that is not drawn
        Surface s(*gdi, 3, 2);
        s.BackColor(kBack);
        s.PaintPicture(vb::StdPicture(c.pw, c.ph, argb), c.x, c.y, c.w, c.h);
        EXPECT_EQ(Names(s), c.expected) << c.what;
    }
}

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
