// Realisations of one face share its FreeType sizes over time (a size that goes waits for
// the next realisation), so a font's glyphs must not depend on the sizes realised before
// it. The model: FreeType alone, with a face opened afresh for each case, glyphs loaded
// and rendered as the engine does, in GDI's 17 coverage levels.
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/text/fonts.h>

#include <ft2build.h>
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include FT_FREETYPE_H

#include "platform/text/font_engine.h"
#include "support/data.h"

namespace sheenwork::text {
namespace {

// Advance, left, top, width, rows and the coverage of a glyph.
using Rendered = std::tuple<int, int, int, int, int, std::vector<std::uint8_t>>;

Rendered Alone(FT_Face face, char c, bool mono) {
    FT_Load_Char(face, static_cast<unsigned char>(c),
                 FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : 0));
    FT_Render_Glyph(face->glyph, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL);
    const FT_Bitmap& b = face->glyph->bitmap;
    std::vector<std::uint8_t> levels;
    for (unsigned y = 0; y < b.rows; ++y)
        for (unsigned x = 0; x < b.width; ++x) {
            const unsigned char* row = b.buffer + y * b.pitch;
            levels.push_back(mono ? ((row[x / 8] >> (7 - x % 8)) & 1) * 16 : row[x] * 17 / 256);
        }
    return {static_cast<int>((face->glyph->advance.x + 32) / 64),
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
    lf.lfQuality = row[2] == "1" ? gdi::NONANTIALIASED_QUALITY : gdi::DEFAULT_QUALITY;
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
    for (char c : row[3]) {
        const Glyph& g = font->GlyphOf(static_cast<unsigned char>(c));
        EXPECT_EQ(Rendered(g.advance, g.left, g.top, g.width, g.rows, g.coverage),
                  Alone(face, c, row[2] == "1"))
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
