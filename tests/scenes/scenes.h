// Drawing scenes: small pictures drawn only through gdi::Gdi, so that the same code runs
// on our raster and on real GDI (the reference runner under Wine) and the two bitmaps
// can be compared pixel for pixel.
//
// Every scene draws into a 32-bit surface bitmap of width x height that RenderScene
// has filled with kSentinel, so pixels a primitive must leave alone are visible. A
// scene releases every object it creates and puts back every object it selects.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <functional>
#include <string>
#include <vector>

namespace sheenwork::scenes {

struct Scene {
    std::string name;
    int width = 0, height = 0;
    std::function<void(gdi::Gdi&, gdi::Hdc)> draw;
    // Empty when real GDI under Wine and our raster must agree exactly. Otherwise the
    // name of a documented difference between Wine and Windows, which the reference
    // test checks with its own rule (see below).
    std::string known_difference;
};

// The colour every scene bitmap holds before the scene draws.
constexpr gdi::ColorRef kSentinel = 0xCCCCCC;

// "roundrect-5x5-corner": the scene draws one RoundRect with a 5 x 5 corner ellipse
// over the rectangle (kRoundMargin, kRoundMargin, width - kRoundMargin,
// height - kRoundMargin) on the untouched sentinel; its pen (with a null pen, its brush)
// shows at the middle of the top edge and its interior at the bitmap's centre. Wine 8 turns each
// corner through the two pixels (1, 0) and (0, 1) from the corner (and their mirror images);
// Windows and our raster leave those alone and turn through (1, 1) instead.
inline constexpr char kRoundRectCorner[] = "roundrect-5x5-corner";
constexpr int kRoundMargin = 2;

// "stretch-column-mapping": the scene copies the 4-column source StretchSource(height)
// with StretchDIBits (24 bit, SRCCOPY) onto the whole bitmap, rows one to one, columns
// stretched to the bitmap's width. Which source column a destination column shows
// (and, when shrinking, which columns are ANDed together) is where Wine 8 and Windows
// differ.
inline constexpr char kStretchColumns[] = "stretch-column-mapping";
constexpr int kStretchColumnsCount = 4;
// The source pixel (column, row) of those scenes, 0x00BBGGRR.
gdi::ColorRef StretchSource(int column, int row);

// Every scene, in a fixed order, names unique.
const std::vector<Scene>& AllScenes();

// Draws `scene` on a fresh memory DC and surface bitmap prefilled with kSentinel and
// returns its pixels (0x00BBGGRR, rows from the top). Releases everything it created.
std::vector<gdi::ColorRef> RenderScene(gdi::Gdi& gdi, const Scene& scene);

// The same for any drawing: a fresh memory DC and surface bitmap of width x height filled
// with `fill`, `draw` run on it, its pixels read and everything released. `name` names
// the drawing in the error thrown when the DC or bitmap cannot be made.
std::vector<gdi::ColorRef> DrawOnFreshBitmap(gdi::Gdi& gdi, const std::string& name, int width,
                                             int height, gdi::ColorRef fill,
                                             const std::function<void(gdi::Gdi&, gdi::Hdc)>& draw);

}  // namespace sheenwork::scenes
