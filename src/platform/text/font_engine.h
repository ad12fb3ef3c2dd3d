// The text engine behind the raster's fonts: a logical font realised as a FreeType face
// at a pixel size, with GDI's metrics and a cache of rendered glyphs.
//
// Metrics follow GDI's TrueType rules, so that layouts agree with real GDI given the
// same font file:
//   - lfHeight < 0 asks for an em of -lfHeight pixels; lfHeight > 0 for a cell of that
//     height, the em being lfHeight * unitsPerEm / (usWinAscent + usWinDescent) rounded;
//     0 stands for a cell of 16. The cell that results is that em's, not always the one
//     asked for.
//   - every metric is its font-unit value * em / unitsPerEm rounded to a whole pixel:
//     ascent and descent from usWinAscent and usWinDescent, the line height their sum;
//     internal leading the line height less the em; external leading the part of the
//     typographic line gap not already inside the win metrics.
//   - a glyph's advance is its outline's advance, hinted for grey levels, in whole
//     pixels; a string's extent is the plain sum of its advances (no kerning), as GDI
//     measures without a kerning flag.
//   - grey levels or two: a font asked for without anti-aliasing is drawn bilevel, and so
//     is a face at a size where its gasp table's range lacks the grey flag (unless the
//     face is made bold or oblique by synthesis, which keeps the grey levels). A bilevel
//     glyph is the outline hinted for one bit a pixel or, where the face carries a bitmap
//     strike of that size (and the font is neither slanted nor made bold by synthesis),
//     the strike's bitmap. Either way
//     it is drawn at its own advance, which need not be the one it is measured with: a
//     line is laid out (and aligned) by the measured advances and drawn by the drawn ones.
//   - a face made bold by synthesis has its hinted outline grown by a 24th of the em each
//     way and every advance one pixel wider; one made italic by synthesis has it (grown
//     first, if bold too) sheared a quarter pixel right per pixel above the baseline, its
//     advance unchanged. A slanted face of bitmaps alone (Wine's MS Sans Serif) draws
//     no glyph: its outlines are empty.
//   - a glyph's rows above the ascent or below the descent are cut off; a strike's
//     bitmap that reaches above the ascent is moved down to it first.
//   - underline and strikeout: the post and OS/2 positions and thicknesses scaled and
//     rounded, drawn as a filled band of that thickness centred on the position.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sheenwork::text {

// One rendered glyph, placed at (pen x + left, baseline - top). Its coverage comes in
// GDI's 17 grey levels: 0 (untouched) to 16 (fully covered); FreeType's 256 levels v
// become 17 v / 256, a glyph drawn without anti-aliasing uses only 0 and 16. Level 1 is
// too faint to draw: GDI leaves those pixels alone.
struct Glyph {
    static constexpr int kLevels = 16;
    int advance = 0;      // what the glyph is measured with
    int pen_advance = 0;  // how far drawing it moves the pen on
    int left = 0, top = 0;
    int width = 0, rows = 0;
    std::vector<std::uint8_t> coverage;  // rows * width levels, rows from the top
};

class RealizedFont {
public:
    virtual ~RealizedFont() = default;

    const std::string& Family() const { return family_; }
    const gdi::TextMetric& Metrics() const { return metrics_; }
    int UnderlinePosition() const { return underline_position_; }  // above the baseline
    int UnderlineThickness() const { return underline_thickness_; }
    int StrikeoutPosition() const { return strikeout_position_; }
    int StrikeoutThickness() const { return strikeout_thickness_; }
    bool Underline() const { return underline_; }
    bool StrikeOut() const { return strike_out_; }

    // The glyph of ANSI (Windows-1252) character `c`, rendered once and then cached.
    // The reference stays valid as long as the font. Safe to call from any thread.
    virtual const Glyph& GlyphOf(unsigned char c) = 0;
    // The advance width of `text`, as measured.
    int Extent(std::string_view text);

protected:
    std::string family_;
    gdi::TextMetric metrics_;
    int underline_position_ = 0, underline_thickness_ = 0;
    int strikeout_position_ = 0, strikeout_thickness_ = 0;
    bool underline_ = false, strike_out_ = false;
};

// The realised font of `font`, shared by every DC and font object with the same
// description while it is among the 64 most recently realised. Never null: a family that is not
// installed is realised with its stand-in. Throws vb::RuntimeError when no font file can be opened
// at all.
std::shared_ptr<RealizedFont> Realize(const gdi::LogFont& font);

}  // namespace sheenwork::text
