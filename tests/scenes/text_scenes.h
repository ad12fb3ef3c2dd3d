// Text scenes: DrawTextA calls drawn only through gdi::Gdi, run on our raster and on real
// GDI under Wine with the same font files. Besides its pixels a scene reports numbers
// (DrawTextA's results, CALCRECT rectangles, extents, metrics) which must agree exactly;
// the pixels must agree in layout, and in the glyphs' grey levels only within the
// anti-aliasing bound the reference test states.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sheenwork::scenes {

struct TextScene {
    std::string name;
    int width = 0, height = 0;
    gdi::ColorRef background = 0xFFFFFF;  // the scene's bitmap is filled with it first
    // Draws and returns the numbers to compare.
    std::function<std::vector<std::int32_t>(gdi::Gdi&, gdi::Hdc)> draw;
};

// The font files both sides use: DejaVu from fonts-dejavu-core (fontconfig finds it on
// Linux and Wine alike) and Wine's own fonts from fonts-wine, which the reference
// runner registers with AddFontResourceEx.
inline constexpr char kTextFace[] = "DejaVu Sans";

// Every text scene, in a fixed order, names unique.
const std::vector<TextScene>& AllTextScenes();

struct TextSceneResult {
    std::vector<gdi::ColorRef> pixels;
    std::vector<std::int32_t> values;
};
// Draws `scene` on a fresh memory DC and surface bitmap filled with its background.
TextSceneResult RenderTextScene(gdi::Gdi& gdi, const TextScene& scene);

}  // namespace sheenwork::scenes
