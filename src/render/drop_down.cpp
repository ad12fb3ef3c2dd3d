// The drop-down section: its rectangle, the arrow glyph and the separator beside it.
#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>

#include "render/redraw.h"

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
    (void)sec.glyph;  // GLYPH-PENDING
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
