// The raster's text through real fonts: which installed face stands in for a family, the
// glyph cache and its sizes (Marlett's arrows are compared with real GDI, pixel for pixel).
// DrawTextA's pixels where they are fixed by rule (clipping, background cells, colours, metrics)
// are cases of tests/data/raster/cases/text.txt; the anti-aliased glyph pixels themselves are
// compared with real GDI by reference_test.cpp.
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/text/fonts.h>
#include <sheenwork/vb/error.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "platform/text/font_engine.h"
#include "scenes/scenes.h"
#include "support/data.h"
#include "support/recording_services.h"

namespace sheenwork::gdi {
namespace {

using scenes::kSentinel;

LogFont Font(const char* face, int height, std::uint8_t charset = ANSI_CHARSET) {
    LogFont lf;
    lf.lfHeight = height;
    lf.lfCharSet = charset;
    std::strncpy(lf.lfFaceName, face, kLfFaceSize - 1);
    return lf;
}

// The face GetTextFace names for a font of `family` selected into a DC.
std::string FaceOf(Gdi& g, const char* family) {
    const Hdc dc = g.CreateCompatibleDC(nullptr);
    const Hgdiobj font = g.CreateFontIndirect(Font(family, -13));
    const Hgdiobj old = g.SelectObject(dc, font);
    const std::string face = g.GetTextFace(dc);
    g.SelectObject(dc, old);
    g.DeleteObject(font);
    g.DeleteDC(dc);
    return face;
}

// --- which face -------------------------------------------------------------------

// A program that uses fontconfig itself, as a toolkit does, and holds one of its fonts until
// it ends, with the library's text in between: it ends cleanly, for fontconfig's global
// state is the program's and the library leaves it alone.
TEST(TextEngineDeathTest, AProgramThatUsesFontconfigTooEndsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process
    EXPECT_EXIT(
        {
            FcInit();
            FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
            FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
            FcDefaultSubstitute(wanted);
            FcResult result;
            FcPattern* held = FcFontMatch(nullptr, wanted, &result);
            scenes::Draw(
                *MakeRasterGdi(), 40, 16,
                R"(font = CreateFontIndirect -11 FW_NORMAL 0 0 0 ANSI_CHARSET ANTIALIASED_QUALITY )"
                R"("Tahoma"; SelectObject dc font; DrawTextA dc "Aa" -1 0 0 40 16 DT_LEFT)");
            std::exit(held != nullptr ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(TextEngine, AMissingFamilyIsDrawnWithAnInstalledStandInThatGetTextFaceNames) {
    const text::ResolvedFace verdana = text::ResolveFamily("Verdana", FW_NORMAL, false);
    EXPECT_TRUE(verdana.substituted);
    ASSERT_FALSE(verdana.family.empty());
    EXPECT_NE(verdana.family, "Verdana");
    EXPECT_TRUE(std::filesystem::exists(verdana.file)) << verdana.file;

    // The stand-in asked for by its own name is itself, not a substitute.
    const text::ResolvedFace own = text::ResolveFamily(verdana.family, FW_NORMAL, false);
    EXPECT_FALSE(own.substituted);
    EXPECT_EQ(own.family, verdana.family);
    EXPECT_EQ(own.file, verdana.file);

    const auto g = MakeRasterGdi();
    EXPECT_EQ(FaceOf(*g, "Verdana"), verdana.family);
    EXPECT_EQ(FaceOf(*g, "DEJAVU SANS"), "DejaVu Sans");  // names match without regard to case
}

TEST(TextEngine, WinesOwnOutlineFacesComeFromItsFontFolder) {
    const std::string folder = text::WineFontFolder();
    const auto g = MakeRasterGdi();
    for (const char* family : {"Marlett", "Tahoma"}) {
        const text::ResolvedFace face = text::ResolveFamily(family, FW_NORMAL, false);
        EXPECT_FALSE(face.substituted) << family;
        EXPECT_EQ(face.family, family);
        EXPECT_EQ(face.file.rfind(folder, 0), 0u) << family << ": " << face.file;
        EXPECT_EQ(FaceOf(*g, family), family);
    }
}

// --- the glyph cache ---------------------------------------------------------------

TEST(TextEngine, GlyphsAreRasterisedOncePerFontAndSize) {
    // A size no other test uses, different on every run of this test in one process.
    static int fresh_size = 40;
    ++fresh_size;
    const auto g = MakeRasterGdi();
    // The text, rectangle and format of `words` drawn in DejaVu Sans `height` pixels high,
    // each time in a font object of its own.
    const auto draw = [&](int height, const std::string& words) {
        scenes::Draw(*g, 75, 23,
                     "font = CreateFontIndirect " + std::to_string(height) +
                         R"( FW_NORMAL 0 0 0 ANSI_CHARSET ANTIALIASED_QUALITY "DejaVu Sans"; )"
                         "SelectObject dc font; DrawTextA dc " +
                         words);
    };
    const std::string word = R"("&Speichern" -1 0 0 75 23 DT_CENTER|DT_WORDBREAK)";
    draw(-13, word);
    const std::uint64_t warm = text::GlyphsRasterised();
    // Again, and elsewhere.
    draw(-13, word);
    draw(-13, R"("Speichern" -1 3 2 60 20 DT_LEFT)");
    EXPECT_EQ(text::GlyphsRasterised(), warm);

    draw(-fresh_size, word);
    const std::uint64_t new_size = text::GlyphsRasterised();
    EXPECT_GE(new_size - warm, 7u);  // S p e i c h r n at the new size ("e" twice)
    draw(-fresh_size, word);
    EXPECT_EQ(text::GlyphsRasterised(), new_size);
}

TEST(TextEngine, SizesOfOneFileRealisedSideBySideRenderAsEachAlone) {
    // Every font realised from one file shares the file's face, each with a size of its
    // own. Glyphs of two sizes asked for in turn must be those each size renders when it
    // is the only one in use. (An underline changes no glyph: it only makes another
    // realisation of the same size.)
    const char* const text = "Speichern&1";
    const auto realise = [](int height, bool underline) {
        LogFont lf = Font("DejaVu Sans", height);
        lf.lfUnderline = underline ? 1 : 0;
        return text::Realize(lf);
    };
    const auto render = [&](text::RealizedFont& font, char c) {
        const text::Glyph& glyph = font.GlyphOf(static_cast<unsigned char>(c));
        return std::make_tuple(glyph.advance, glyph.left, glyph.top, glyph.width, glyph.rows,
                               glyph.coverage);
    };
    using Rendered = decltype(render(std::declval<text::RealizedFont&>(), 'a'));
    std::vector<Rendered> small_alone, large_alone;
    auto small = realise(-19, false);
    for (const char* c = text; *c != 0; ++c) small_alone.push_back(render(*small, *c));
    auto large = realise(-29, false);
    for (const char* c = text; *c != 0; ++c) large_alone.push_back(render(*large, *c));
    ASSERT_NE(small_alone, large_alone);

    auto small_again = realise(-19, true), large_again = realise(-29, true);
    ASSERT_NE(small_again.get(), small.get());
    for (std::size_t i = 0; text[i] != 0; ++i) {
        EXPECT_EQ(render(*small_again, text[i]), small_alone[i]) << text[i];
        EXPECT_EQ(render(*large_again, text[i]), large_alone[i]) << text[i];
    }
}

// --- a configuration of its own -----------------------------------------------------

// The bytes of a TrueType font changed as `how` says: "without TAG" renames the table
// out of every reader's reach (its tag's last letter becomes "_", which keeps the
// directory in order); "gasp version N" and "gasp of 9 ranges" set the version or the
// count of ranges of its gasp table, "gasp of 4 bytes" makes it its first four bytes
// with no ranges; "as it is" changes nothing.
std::string Changed(std::string font, const std::string& how) {
    const auto u16 = [&](std::size_t at) {
        return static_cast<std::size_t>(std::uint8_t(font.at(at)) << 8 |
                                        std::uint8_t(font.at(at + 1)));
    };
    for (std::size_t record = 12; record < 12 + 16 * u16(4); record += 16) {
        const std::string tag = font.substr(record, 4);
        const std::size_t table = u16(record + 8) << 16 | u16(record + 10);
        if (how == "without " + tag) font[record + 3] = '_';
        if (tag != "gasp") continue;
        if (how.starts_with("gasp version ")) {
            const int version = std::stoi(how.substr(13));
            font[table] = static_cast<char>(version >> 8);
            font[table + 1] = static_cast<char>(version & 0xFF);
        }
        if (how == "gasp of 9 ranges") font[table + 3] = 9;
        if (how == "gasp of 4 bytes") font.replace(record + 12, 4, std::string("\0\0\0\4", 4));
        if (how == "gasp of 4 bytes") font[table + 3] = 0;
    }
    return font;
}

// A process of its own whose fontconfig configuration holds one folder: empty, or with
// one face changed as its row says. The row's family realised there reports its family,
// ascent, strikeout position and thickness, and whether "Sa" has grey levels ("grey") or
// two ("two"), or the error, as text_own_fontconfig.txt has it. The process runs this
// test again from its start, in the environment set here (which it must not set again:
// fontconfig reads it once).
class OwnFontconfigDeathTest : public ::testing::TestWithParam<testing::Row> {};

TEST_P(OwnFontconfigDeathTest, RealisesWhatItsFolderHolds) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const testing::Row& row = GetParam();
    testing::TempDir tmp;
    const bool parent = std::getenv("SHEENWORK_OWN_FONTCONFIG") == nullptr;
    if (parent) {
        if (row[1] != "nothing") {
            const text::ResolvedFace face = text::ResolveFamily(row[0], FW_NORMAL, false);
            std::ofstream(tmp / "face.ttf", std::ios::binary)
                << Changed(testing::ReadFile(face.file), row[1]);
        }
        std::ofstream(tmp / "fonts.conf")
            << "<fontconfig><dir>" << tmp.Path().string() << "</dir><cachedir>" << tmp / "cache"
            << "</cachedir></fontconfig>";
        setenv("SHEENWORK_OWN_FONTCONFIG", "1", 1);
        setenv("FONTCONFIG_FILE", (tmp / "fonts.conf").c_str(), 1);
        setenv("XDG_CACHE_HOME", (tmp / "cache").c_str(), 1);  // the face cache's too
    }
    EXPECT_EXIT(
        {
            LogFont lf = Font(row[0].c_str(), -std::stoi(row[2]));
            lf.lfStrikeOut = 1;
            try {
                const auto font = text::Realize(lf);
                bool grey = false;
                for (char c : std::string("Sa"))
                    for (std::uint8_t level : font->GlyphOf(static_cast<unsigned char>(c)).coverage)
                        grey = grey || (level > 0 && level < text::Glyph::kLevels);
                std::fprintf(stderr, "%s: %d %d %d %s\n", font->Family().c_str(),
                             font->Metrics().tmAscent, font->StrikeoutPosition(),
                             font->StrikeoutThickness(), grey ? "grey" : "two");
            } catch (const vb::RuntimeError& e) {
                std::fprintf(stderr, "error %ld: %s\n", e.Number(), e.Description().c_str());
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "^" + row[3] + "\n");
    if (parent)
        for (const char* name : {"SHEENWORK_OWN_FONTCONFIG", "FONTCONFIG_FILE", "XDG_CACHE_HOME"})
            unsetenv(name);
}
INSTANTIATE_TEST_SUITE_P(Text, OwnFontconfigDeathTest,
                         ::testing::ValuesIn(testing::ReadTable("text_own_fontconfig.txt")),
                         testing::RowName);

}  // namespace
}  // namespace sheenwork::gdi

// --- sizes shared over time ---------------------------------------------------------

// Realisations of one face share its FreeType sizes over time (a size that goes waits for
// the next realisation), so a font's glyphs must not depend on the sizes realised before
// it; and each is drawn with grey levels, bilevel from the outline or from a bitmap strike
// as its row says (worked out from the face's gasp table and strikes). The model: FreeType
// alone, with a face opened afresh for each case, glyphs loaded and rendered that way, in
// GDI's 17 coverage levels, and measured by the outline hinted for grey levels.
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
