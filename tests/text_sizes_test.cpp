// Realisations of one face share its FreeType sizes over time (a size that goes waits for
// the next realisation), so a font's glyphs must not depend on the sizes realised before
// it; and each is drawn with grey levels, bilevel from the outline or from a bitmap strike
// as its row says (worked out from the face's gasp table and strikes). The model: FreeType
// alone, with a face opened afresh for each case, glyphs loaded and rendered that way, in
// GDI's 17 coverage levels, and measured by the outline hinted for grey levels.
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/text/fonts.h>

#include <ft2build.h>
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "platform/text/font_engine.h"
#include "support/data.h"

namespace sheenwork::text {
namespace {

// Measured and drawn advances, left, top, width, rows and the coverage of a glyph.
using Rendered = std::tuple<int, int, int, int, int, int, std::vector<std::uint8_t>>;

Rendered Alone(FT_Face face, char c, const std::string& drawn, bool italic) {
    const auto load = [&](FT_Int32 flags) {
        EXPECT_EQ(FT_Load_Char(face, static_cast<unsigned char>(c), flags), 0);
        return static_cast<int>((face->glyph->advance.x + 32) / 64);
    };
    const int measured = load(FT_LOAD_NO_BITMAP);
    const bool grey = drawn == "grey";
    const int advance =
        grey ? measured : load(FT_LOAD_TARGET_MONO | (drawn == "mono" ? FT_LOAD_NO_BITMAP : 0));
    EXPECT_EQ(face->glyph->format == FT_GLYPH_FORMAT_BITMAP, drawn == "strike") << drawn;
    // A synthetic italic leans a quarter pixel per pixel above the baseline.
    const FT_Matrix slant{0x10000, 0x4000, 0, 0x10000};
    if (italic) FT_Outline_Transform(&face->glyph->outline, &slant);
    FT_Render_Glyph(face->glyph, grey ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO);
    const FT_Bitmap& b = face->glyph->bitmap;
    std::vector<std::uint8_t> levels;
    for (unsigned y = 0; y < b.rows; ++y)
        for (unsigned x = 0; x < b.width; ++x) {
            const unsigned char* row = b.buffer + y * b.pitch;
            levels.push_back(grey ? row[x] * 17 / 256 : ((row[x / 8] >> (7 - x % 8)) & 1) * 16);
        }
    return {measured,
            advance,
            face->glyph->bitmap_left,
            face->glyph->bitmap_top,
            static_cast<int>(b.width),
            static_cast<int>(b.rows),
            levels};
}

class ReusedSizes : public ::testing::TestWithParam<testing::Row> {};

TEST_P(ReusedSizes, RenderAsAFaceOpenedAfresh) {
    const testing::Row& row = GetParam();
    const int ppem = std::stoi(row[1]);
    gdi::LogFont lf;
    lf.lfQuality = row[2] == "bilevel" ? gdi::NONANTIALIASED_QUALITY : gdi::DEFAULT_QUALITY;
    lf.lfItalic = row[2] == "italic";
    std::strncpy(lf.lfFaceName, row[0].c_str(), gdi::kLfFaceSize - 1);
    // Seventy other heights, each with a glyph loaded, go through the engine's cache of
    // 64 realisations: the case's font is new, and takes a size another height used.
    for (lf.lfHeight = -100; lf.lfHeight > -170; --lf.lfHeight) Realize(lf)->GlyphOf('g');
    lf.lfHeight = -ppem;
    const auto font = Realize(lf);

    const ResolvedFace resolved = ResolveFamily(row[0], 400, false);
    FT_Library library;
    FT_Face face;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, resolved.file.c_str(), resolved.index, &face), 0) << row.where;
    FT_Set_Pixel_Sizes(face, 0, ppem);
    for (char c : row[4]) {
        const Glyph& g = font->GlyphOf(static_cast<unsigned char>(c));
        EXPECT_EQ(Rendered(g.advance, g.pen_advance, g.left, g.top, g.width, g.rows, g.coverage),
                  Alone(face, c, row[3], row[2] == "italic"))
            << row.where << ": '" << c << "'";
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}
INSTANTIATE_TEST_SUITE_P(Text, ReusedSizes,
                         ::testing::ValuesIn(testing::ReadTable("text_sizes.txt")),
                         testing::RowName);

}  // namespace
}  // namespace sheenwork::text
