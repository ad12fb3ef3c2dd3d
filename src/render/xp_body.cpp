// The XP look's body for each colour scheme and state.
#include <sheenwork/control/enums.h>

#include "render/basButton.h"
#include "render/body_cache.h"
#include "render/redraw.h"

namespace sheenwork {
namespace {

constexpr OLE_COLOR kDisabledFrame = 0x00BAC7C9;
constexpr OLE_COLOR kDisabledFill = 0x00EAF4F5;
constexpr OLE_COLOR kBlueFill = 0x00EEF3F3;
constexpr OLE_COLOR kBluePressedFill = 0x00D7E0E0;
constexpr OLE_COLOR kOliveFill = 0x00E5F6F9;
constexpr OLE_COLOR kOlivePressedFill = 0x00CCE3EC;
constexpr OLE_COLOR kBlueFrame = 0x00743C00;
constexpr OLE_COLOR kOliveFrame = 0x00066237;
constexpr OLE_COLOR kWhite = 0x00FFFFFF;
constexpr OLE_COLOR kButtonShadow = 0x80000010;
constexpr OLE_COLOR kBlack = 0x00000000;

// One shading line: the fore colour is set, then the line drawn in it across the body.
struct Shade {
    float y_from_top;  // y when from_bottom is false
    bool from_bottom;  // y = H - y_from_top
    OLE_COLOR color;
};

void ShadeLines(PaintContext& c, const Shade* rows, int n) {
    host::Surface& s = c.surface;
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    for (int i = 0; i < n; ++i) {
        const float y = rows[i].from_bottom ? H - rows[i].y_from_top : rows[i].y_from_top;
        c.Step([&] { s.ForeColor(rows[i].color); });
        c.Step([&] { s.Line(1, y, W - 1, y); });
    }
}

constexpr Shade kPressedLines[] = {
    {1, false, 0x00C1CCD1}, {2, false, 0x00CFD8DC}, {3, true, 0x00E3E9EA}, {2, true, 0x00EEF1F2}};
constexpr Shade kBlueShading[] = {
    {1, false, 0x00FFFFFF}, {2, false, 0x00FEFEFE}, {3, false, 0x00FBFCFC}, {4, false, 0x00F9FAFA},
    {5, false, 0x00F6F8F8}, {2, true, 0x00C5D0D6},  {3, true, 0x00D6DFE2},  {4, true, 0x00E6EBEC}};
constexpr Shade kOliveShading[] = {
    {1, false, 0x00F6FFFF}, {2, false, 0x00F5FEFE}, {3, false, 0x00F2FEFC}, {4, false, 0x00EFFDFE},
    {5, false, 0x00EFFDFC}, {2, true, 0x00B8D1E3},  {3, true, 0x00DBEEF3},  {4, true, 0x00C9E1EC}};

// The rectangle is computed in its own statement: an overflow there skips only the
// assignment, and the band is then drawn into the rectangle the field still holds.
template <class Rect>
void Gradient(PaintContext& c, Rect rc, OLE_COLOR bottom, OLE_COLOR top) {
    c.Step([&] {
        c.rec.rcGradient = rc();
        c.ps.gradient_set = true;
    });
    c.Step([&] {
        DrawGradient(c.surface.Gdi(), c.surface.hDC(), &c.rec.rcGradient,
                     static_cast<vb::Long>(bottom), static_cast<vb::Long>(top), 1);
    });
}

// Schemes 0 and 2: fill, pressed lines, shading, band, frame colour.
void BlueOrOlive(PaintContext& c, bool olive, bool D, bool O, bool K) {
    host::Surface& s = c.surface;
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    const bool pressed = (D && O) || K;
    if (olive)
        c.Step([&] { s.BackColor(pressed ? kOlivePressedFill : kOliveFill); });
    else
        c.Step([&] { s.BackColor(pressed ? kBluePressedFill : kBlueFill); });
    if (pressed) ShadeLines(c, kPressedLines, 4);
    if (!O && !K) ShadeLines(c, olive ? kOliveShading : kBlueShading, 8);
    if (!(D && (O || K))) {
        if (olive)
            Gradient(
                c,
                [&] {
                    return RECT{1, 5, vb::CLng(W - 1), vb::CLng(H - 5 + 1)};
                },
                0x00DBEEF3, 0x00F2FFFE);
        else
            Gradient(
                c,
                [&] {
                    return RECT{1, 3, vb::CLng(W - 1), vb::CLng(H - 3)};
                },
                0x00EAF0F0, 0x00FBFCFC);
    }
    c.Step([&] { s.ForeColor(olive ? kOliveFrame : kBlueFrame); });
}

void Silver(PaintContext& c, bool D, bool O, bool K) {
    host::Surface& s = c.surface;
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    if ((D && O) || K) {
        Gradient(
            c,
            [&] {
                return RECT{1, 1, vb::CLng(W - 1), vb::CLng(H - 8)};
            },
            0x00EFE6E5, 0x00D7C5C6);
        Gradient(
            c,
            [&] {
                return RECT{1, vb::CLng(H - 8), vb::CLng(W - 1), vb::CLng(H - 1)};
            },
            kWhite, 0x00F6EFEE);
        c.Step([&] { s.ForeColor(kWhite); });
        c.Step([&] {
            if (!(!D && c.rec.bHasFocus))
                s.Gdi().RoundRect(s.hDC(), 1, 1, vb::CLng(W - 1), vb::CLng(H - 1), 5, 5);
        });
    } else {
        Gradient(
            c,
            [&] {
                return RECT{0, 0, vb::CLng(W), vb::CLng(H)};
            },
            0x00EFE6E5, kWhite);
        if (!O) {
            c.Step([&] { s.Line(1, 2, 1, H - 2, kWhite); });
            // Slanted on purpose: from column W - 1 at the top to W - 2 at the bottom.
            c.Step([&] { s.Line(W - 1, 2, W - 2, H - 2, kWhite); });
        }
    }
    c.Step([&] { s.ForeColor(kBlueFrame); });
}

// The body colour of the flat schemes by state.
OLE_COLOR StateBackColor(const ButtonRecord& r, bool pressed, bool O) {
    if (!r.Enabled) return r.BackColorDis;
    if (pressed) return r.BackColorDown;
    if (O) return r.BackColorOver;
    return r.BackColor;
}

void Classic(PaintContext& c, bool pressed, bool O) {
    host::Surface& s = c.surface;
    ButtonRecord& r = c.rec;
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    const bool down_colour = r.Enabled && pressed;
    c.Step([&] { s.BackColor(StateBackColor(r, pressed, O)); });
    c.Step([&] { r.lEdgeStyle = down_colour ? 6 : 5; });
    if (r.bHasFocus) {
        c.Step([&] { r.rcEdge = {1, 1, vb::CLng(W - 1), vb::CLng(H - 1)}; });
        c.Step([&] { s.Box(0, 0, W - 1, H - 1, kBlack); });
    } else {
        c.Step([&] { r.rcEdge = {0, 0, vb::CLng(W), vb::CLng(H)}; });
    }
    if (r.lEdgeStyle != 5) {
        c.Step([&] { s.Box(1, 1, W - 2, H - 2, kButtonShadow); });
    } else {
        c.Step([&] {
            gdi::Rect edge = r.rcEdge;
            s.Gdi().DrawEdge(s.hDC(), &edge, gdi::EDGE_RAISED, gdi::BF_RECT);
        });
    }
}

void Custom(PaintContext& c, bool pressed, bool O) {
    const ButtonRecord& r = c.rec;
    c.Step([&] { c.surface.ForeColor(r.Enabled ? r.BorderColor : kDisabledFrame); });
    c.Step([&] { c.surface.BackColor(StateBackColor(r, pressed, O)); });
}

void CornerPoints(PaintContext& c) {
    host::Surface& s = c.surface;
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    const OLE_COLOR k = c.rec.CornerColor;
    const float points[12][2] = {{0, 0},     {1, 0},         {0, 1},         {0, H - 2},
                                 {0, H - 1}, {1, H - 1},     {W - 2, 0},     {W - 1, 0},
                                 {W - 1, 1}, {W - 1, H - 1}, {W - 2, H - 1}, {W - 1, H - 2}};
    for (const auto& p : points) c.Step([&] { s.PSet(p[0], p[1], k); });
}

void PaintXPBody(PaintContext& c) {
    const ButtonRecord& r = c.rec;
    const bool D = c.ps.sDrawState == "down";
    const bool O = static_cast<bool>(r.bMouseOver);
    const bool K = static_cast<bool>(r.bSpaceDown);
    const bool pressed = (D && O) || K;
    switch (r.ColorStyle) {
        case cXPBlue:
        case cXPOlive:
        case cXPSilver:
            if (!r.Enabled) {
                c.Step([&] { c.surface.ForeColor(kDisabledFrame); });
                c.Step([&] { c.surface.BackColor(kDisabledFill); });
            } else if (r.ColorStyle == cXPSilver) {
                Silver(c, D, O, K);
            } else {
                BlueOrOlive(c, r.ColorStyle == cXPOlive, D, O, K);
            }
            break;
        case cWinClassic:
            Classic(c, pressed, O);
            return;  // no corner points for the classic scheme
        case cCustom: Custom(c, pressed, O); break;
        default: break;
    }
    CornerPoints(c);
}

}  // namespace

void Painters::XPBody(PaintContext& c) const {
    BodyCache::OfThisThread().Paint(c, [&] { PaintXPBody(c); });
}

}  // namespace sheenwork
