// The drop-down section: its rectangle, the arrow glyph and the separator beside it.
#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>

#include "render/redraw.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace sheenwork {

namespace {

// Where the section lies and which way its arrow points. `glyph` is the character of
// the symbol font: "3" left, "4" right, "5" up, "6" down.
struct Section {
    RECT drop, main, separator;
    const char* glyph;
};

// The section for `align`; any other value leaves the whole button as the section,
// no glyph and no separator.
Section Layout(vb::Long align, vb::Long w, vb::Long h, vb::Long s, float W, float H) {
    Section r{{0, 0, w, h}, {0, 0, w, h}, {0, 0, 0, 0}, ""};
    switch (align) {
        case cDropDownLeftDown:
        case cDropDownLeftUp:
            r.drop.right = s;
            r.main.left = s;
            r.separator = {s, 1, s, vb::CLng(H - 1)};
            r.glyph = align == cDropDownLeftDown ? "6" : "5";
            break;
        case cDropDownRightDown:
        case cDropDownRightUp: {
            const vb::Long x = vb::Sub(w, s);
            r.drop.left = x;
            r.main.right = x;
            r.separator = {x, 1, x, vb::CLng(H - 1)};
            r.glyph = align == cDropDownRightDown ? "6" : "5";
            break;
        }
        case cDropDownTopRight:
        case cDropDownTopLeft:
            r.drop.bottom = s;
            r.main.top = s;
            r.separator = {1, s, vb::CLng(W - 1), s};
            r.glyph = align == cDropDownTopRight ? "4" : "3";
            break;
        case cDropDownBottomRight:
        case cDropDownBottomLeft: {
            const vb::Long y = vb::Sub(h, s);
            r.drop.top = y;
            r.main.bottom = y;
            r.separator = {1, y, vb::CLng(W - 1), y};
            r.glyph = align == cDropDownBottomRight ? "4" : "3";
            break;
        }
        default: break;
    }
    return r;
}

// Without the symbol font the arrow is drawn as a filled triangle of about its size: a
// base of 2k + 1 pixels and a height of k + 1, k a quarter of the glyph font's height,
// centred in the section, pointing the glyph's way.
void DrawArrow(host::Surface& s, const RECT& rc, char glyph, int font_height) {
    const int k = std::max(1, font_height / 4);
    const int cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
    for (int i = 0; i <= k; ++i) {
        // Row (or column) i from the tip holds 2 i + 1 pixels.
        const float a = static_cast<float>(i), w = static_cast<float>(i);
        switch (glyph) {
            case '6':  // down: tip at the bottom
                s.FilledBox(cx - w, cy + k / 2.0f - a, cx + w, cy + k / 2.0f - a);
                break;
            case '5':  // up
                s.FilledBox(cx - w, cy - k / 2.0f + a, cx + w, cy - k / 2.0f + a);
                break;
            case '3':  // left
                s.FilledBox(cx - k / 2.0f + a, cy - w, cx - k / 2.0f + a, cy + w);
                break;
            case '4':  // right
                s.FilledBox(cx + k / 2.0f - a, cy - w, cx + k / 2.0f - a, cy + w);
                break;
            default: return;
        }
    }
}

bool IsSymbolFont(gdi::Gdi& g, gdi::Hdc dc, const std::string& wanted) {
    const std::string face = g.GetTextFace(dc);
    return face.size() == wanted.size() &&
           std::equal(face.begin(), face.end(), wanted.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

}  // namespace

void Painters::DropDownGlyph(PaintContext& c) const {
    c.ps.bGlyphDrawn = vb::False;
    if (!c.rec.DropDown) return;
    const bool runs = c.ps.iPass == 1 || (c.ps.iPass == 0 && c.rec.sState.empty()) ||
                      (c.ps.iPass == 0 && c.rec.sState == "down" && c.rec.sDropDownState.empty());
    if (!runs) return;

    host::Surface& s = c.surface;
    c.site.SurfaceFont(CloneFont(c.site.lblDropDownFont()));
    s.ForeColor(c.rec.DropDownColor);
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    const Section sec =
        Layout(c.rec.DropDownAlign, vb::CLng(W), vb::CLng(H), c.rec.DropDownSize, W, H);
    c.ps.rcDropDown = sec.drop;
    c.ps.rcMain = sec.main;
    c.ps.ptSeparator = sec.separator;
    RECT rc = c.ps.rcDropDown;
    const vb::StdFont& font = s.Font();
    if (*sec.glyph == '\0' || IsSymbolFont(s.Gdi(), s.hDC(), font.Name()))
        s.Gdi().DrawTextA(s.hDC(), sec.glyph, -1, &rc,
                          gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    else
        DrawArrow(s, rc, *sec.glyph, font.PixelHeight());
    c.ps.bGlyphDrawn = vb::True;
}

// The separator: a filled box from (x1, y1) to (x2, y2), both ends included.
void Painters::DropDownSeparator(PaintContext& c) const {
    const RECT& pt = c.ps.ptSeparator;
    c.surface.FilledBox(static_cast<float>(pt.left), static_cast<float>(pt.top),
                        static_cast<float>(pt.right), static_cast<float>(pt.bottom),
                        c.rec.DropDownSeparatorColor);
}

}  // namespace sheenwork
