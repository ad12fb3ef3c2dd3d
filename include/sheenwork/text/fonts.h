// Fonts as the platform finds them: which installed face stands for a requested family,
// and how often glyphs have been rasterised.
//
// A family is looked up through fontconfig first; when fontconfig has no face of that
// exact family, the outline faces of Wine's font folder (Debian's fonts-wine: Marlett,
// Tahoma, Symbol and others) are tried; when neither has it, fontconfig's closest match
// stands in (Verdana -> DejaVu Sans on a Debian machine) and `substituted` says so.
#pragma once

#include <cstdint>
#include <string>

namespace sheenwork::text {

struct ResolvedFace {
    std::string family;  // the face's own family name
    std::string file;
    int index = 0;             // the face within a collection file
    bool bold = false;         // the face itself is bold (else bold is synthesised)
    bool italic = false;       // the face itself is italic or oblique
    bool substituted = false;  // another family than the one asked for
};

// The face that renders `family` at `weight` (400 normal, 700 bold) and slant. Throws
// vb::RuntimeError 7 when no font at all is installed.
ResolvedFace ResolveFamily(const std::string& family, int weight, bool italic);

// The folder of Wine's own fonts that the lookup above consults.
std::string WineFontFolder();

// How many glyph images the text engine has rendered since the process started. Drawing
// a caption a second time with the same font adds nothing: glyphs are cached per font
// and size.
std::uint64_t GlyphsRasterised();

}  // namespace sheenwork::text
