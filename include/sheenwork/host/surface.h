// The control surface: the host's retained drawing surface with its drawing methods.
//
// Coordinates are pixels, (0, 0) top-left. Values given as Single are rounded to the
// nearest pixel, halves to even, as the host does before calling GDI. Colours are host
// colours: a value with the top bit set names a system colour and is resolved through
// the system-colour table when it is used.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/vb/stdfont.h>
#include <sheenwork/vb/stdpicture.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace sheenwork::host {

// A copy of pixels taken from a surface (the surface's Image).
struct SurfaceImage {
    int width = 0;
    int height = 0;
    std::vector<gdi::ColorRef> pixels;  // 0x00BBGGRR, rows from the top
};

class Surface {
public:
    // A surface of width x height pixels drawn through `gdi` (which must outlive it).
    Surface(gdi::Gdi& gdi, int width, int height);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    gdi::Gdi& Gdi() { return gdi_; }
    gdi::Hdc hDC() const { return dc_; }
    float ScaleWidth() const { return static_cast<float>(width_); }
    float ScaleHeight() const { return static_cast<float>(height_); }
    // New size; the content is lost and the surface is filled with the back colour.
    void Resize(int width, int height);

    // Assigning the back colour fills the whole surface with it.
    void BackColor(std::uint32_t color);
    std::uint32_t BackColor() const { return back_color_; }
    // The pen of later lines and boxes given without a colour and of RoundRect, and the
    // text colour of DrawTextA.
    void ForeColor(std::uint32_t color);
    std::uint32_t ForeColor() const { return fore_color_; }

    // The font of DrawTextA on hDC: `font` at the surface's 96 DPI (its point size to a
    // character height, 9.75 pt -> 13 px), drawn anti-aliased. The surface keeps its own
    // copy of the description.
    void Font(const vb::StdFont& font);
    const vb::StdFont& Font() const { return font_; }

    // Fills the whole surface with the back colour.
    void Cls();
    // A 1-pixel line; covers (x1, y1) and stops one pixel short of (x2, y2).
    void Line(float x1, float y1, float x2, float y2, std::optional<std::uint32_t> color = {});
    // The outline of the rectangle with corners (x1, y1) and (x2, y2), both included.
    void Box(float x1, float y1, float x2, float y2, std::optional<std::uint32_t> color = {});
    // The same rectangle filled, both corners included.
    void FilledBox(float x1, float y1, float x2, float y2, std::optional<std::uint32_t> color = {});
    // Sets one pixel.
    void PSet(float x, float y, std::optional<std::uint32_t> color = {});

    // A copy of the surface as painted so far.
    std::shared_ptr<SurfaceImage> Image() const;
    // Draws the source region (sx, sy, sw, sh) of `image` at (x, y) stretched to w x h;
    // a size of 0 or less means "the whole image / unscaled" as the host's PaintPicture
    // treats omitted arguments.
    void PaintPicture(const SurfaceImage& image, float x, float y, float w = 0, float h = 0,
                      float sx = 0, float sy = 0, float sw = 0, float sh = 0);

    // Draws `picture` with its top-left corner at (x, y), stretched to w x h (omitted: its
    // natural size). Position and size are rounded like every other coordinate. A
    // negative extent mirrors that axis and covers x + w + 1 .. x; a zero one draws
    // nothing. GDI does the stretching, as the host's own copy leaves it to GDI: an
    // opaque picture goes whole to StretchDIBits (as the host's StretchBlt would, so
    // shrinking ANDs the rows and columns that fall together, the default stretch
    // mode), and one with any pixel less than opaque is composited over what is beneath
    // with its straight alpha (premultiplied and handed whole to AlphaBlend, so real GDI
    // and our raster blend and stretch alike).
    void PaintPicture(const vb::StdPicture& picture, float x, float y, std::optional<float> w = {},
                      std::optional<float> h = {});

    std::vector<gdi::ColorRef> Pixels() const;

private:
    void SelectPen(gdi::ColorRef color);
    // A solid brush of `color`, kept for later fills of the same colour.
    gdi::Hgdiobj Brush(gdi::ColorRef color);
    gdi::ColorRef Resolve(std::uint32_t color) const;

    gdi::Gdi& gdi_;
    gdi::Hdc dc_ = nullptr;
    gdi::Hgdiobj bitmap_ = nullptr;
    gdi::Hgdiobj old_bitmap_ = nullptr;
    // The pens of the last few colours drawn with, made once each: a paint switches
    // between a handful of colours line by line. All are released with the surface.
    // Brushes likewise, for the fills of a paint (the clear, boxes, the drop-down arrow).
    struct Kept {
        gdi::Hgdiobj handle = nullptr;
        gdi::ColorRef color = 0;
    };
    static constexpr int kPens = 8;
    Kept pens_[kPens];
    int selected_pen_ = -1;  // the one in dc_, -1 before the first
    int next_pen_ = 0;       // the slot a new colour takes
    gdi::Hgdiobj old_pen_ = nullptr;
    static constexpr int kBrushes = 4;
    Kept brushes_[kBrushes];
    int next_brush_ = 0;
    gdi::Hgdiobj font_object_ = nullptr;
    gdi::Hgdiobj old_font_ = nullptr;
    vb::StdFont font_;
    // The font set before the current one, kept with its GDI font.
    gdi::Hgdiobj spare_font_object_ = nullptr;
    vb::StdFont spare_font_;
    int width_ = 0;
    int height_ = 0;
    std::uint32_t back_color_ = 0x8000000F;
    std::uint32_t fore_color_ = 0x80000012;
};

}  // namespace sheenwork::host
