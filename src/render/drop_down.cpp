// The drop-down section: its rectangle, the arrow glyph and the separator beside it.
#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>

#include "render/redraw.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace sheenwork {

namespace {

// Without the symbol font the arrow is a solid triangle of about the glyph's size: a base
// of 2k + 1 pixels and k + 1 rows (or columns) from base to tip, k a quarter of the glyph
// font's height. It is centred in the section as DrawTextA centres a glyph (the spare
// pixels split with the odd one on the far side) and points the glyph's way. Each row
// (or column) is one filled box on whole pixels.
void DrawArrow(PaintContext& c, const RECT& rc, char glyph, int font_height) {
    host::Surface& s = c.surface;
    const int k = std::max(1, font_height / 4);
    const int base = 2 * k + 1, length = k + 1;
    const bool vertical = glyph == '5' || glyph == '6';
    const int across =
        vertical ? rc.left + (rc.Width() - base) / 2 : rc.top + (rc.Height() - base) / 2;
    const int along =
        vertical ? rc.top + (rc.Height() - length) / 2 : rc.left + (rc.Width() - length) / 2;
    // Down and right arrows start at their base; up and left ones at their tip.
    const bool from_base = glyph == '6' || glyph == '4';
    for (int j = 0; j < length; ++j) {
        const int half = from_base ? k - j : j;  // the row's half width
        const auto a0 = static_cast<float>(across + k - half),
                   a1 = static_cast<float>(across + k + half), b = static_cast<float>(along + j);
        c.Step([&] {
            if (vertical)
                s.FilledBox(a0, b, a1, b);
            else
                s.FilledBox(b, a0, b, a1);
        });
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
    PaintState& ps = c.ps;
    c.Step([&] { ps.bGlyphDrawn = vb::False; });
    if (!c.rec.DropDown) return;
    const bool runs = ps.iPass == 1 || (ps.iPass == 0 && c.rec.sState.empty()) ||
                      (ps.iPass == 0 && c.rec.sState == "down" && c.rec.sDropDownState.empty());
    if (!runs) return;

    host::Surface& s = c.surface;
    c.Step([&] { c.site.SurfaceFont(CloneFont(c.site.lblDropDownFont())); });
    c.Step([&] { s.ForeColor(c.rec.DropDownColor); });
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    const vb::Long S = c.rec.DropDownSize;
    c.Step([&] { ps.rcDropDown = {0, 0, vb::CLng(W), vb::CLng(H)}; });
    c.Step([&] { ps.rcMain = {0, 0, vb::CLng(W), vb::CLng(H)}; });

    // The section, the rest of the button, the separator's end points and the glyph per
    // alignment: "3" points left, "4" right, "5" up, "6" down. Any other alignment keeps
    // the whole button as the section, no glyph and no separator.
    const char* glyph = "";
    switch (c.rec.DropDownAlign) {
        case cDropDownLeftDown:
        case cDropDownLeftUp:
            c.Step([&] { ps.rcDropDown.right = S; });
            c.Step([&] { ps.rcMain.left = S; });
            c.Step([&] { ps.ptSeparator = {S, 1, S, vb::CLng(H - 1)}; });
            c.Step([&] { glyph = c.rec.DropDownAlign == cDropDownLeftDown ? "6" : "5"; });
            break;
        case cDropDownRightDown:
        case cDropDownRightUp:
            c.Step([&] { ps.rcDropDown.left = vb::Sub(vb::CLng(W), S); });
            c.Step([&] { ps.rcMain.right = vb::Sub(vb::CLng(W), S); });
            c.Step([&] {
                const vb::Long x = vb::Sub(vb::CLng(W), S);
                ps.ptSeparator = {x, 1, x, vb::CLng(H - 1)};
            });
            c.Step([&] { glyph = c.rec.DropDownAlign == cDropDownRightDown ? "6" : "5"; });
            break;
        case cDropDownTopRight:
        case cDropDownTopLeft:
            c.Step([&] { ps.rcDropDown.bottom = S; });
            c.Step([&] { ps.rcMain.top = S; });
            c.Step([&] { ps.ptSeparator = {1, S, vb::CLng(W - 1), S}; });
            c.Step([&] { glyph = c.rec.DropDownAlign == cDropDownTopRight ? "4" : "3"; });
            break;
        case cDropDownBottomRight:
        case cDropDownBottomLeft:
            c.Step([&] { ps.rcDropDown.top = vb::Sub(vb::CLng(H), S); });
            c.Step([&] { ps.rcMain.bottom = vb::Sub(vb::CLng(H), S); });
            c.Step([&] {
                const vb::Long y = vb::Sub(vb::CLng(H), S);
                ps.ptSeparator = {1, y, vb::CLng(W - 1), y};
            });
            c.Step([&] { glyph = c.rec.DropDownAlign == cDropDownBottomRight ? "4" : "3"; });
            break;
        default: break;
    }

    c.Step([&] {
        RECT rc = ps.rcDropDown;
        const vb::StdFont& font = s.Font();
        if (*glyph == '\0' || IsSymbolFont(s.Gdi(), s.hDC(), font.Name()))
            s.Gdi().DrawTextA(s.hDC(), glyph, -1, &rc,
                              gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
        else
            DrawArrow(c, rc, glyph[0], font.PixelHeight());
    });
    c.Step([&] { ps.bGlyphDrawn = vb::True; });
}

// The separator: a filled box from (x1, y1) to (x2, y2), both ends included.
void Painters::DropDownSeparator(PaintContext& c) const {
    const RECT& pt = c.ps.ptSeparator;
    c.surface.FilledBox(static_cast<float>(pt.left), static_cast<float>(pt.top),
                        static_cast<float>(pt.right), static_cast<float>(pt.bottom),
                        c.rec.DropDownSeparatorColor);
}

}  // namespace sheenwork
