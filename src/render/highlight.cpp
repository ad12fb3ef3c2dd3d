// drawMLine: the focus ("blue") and hover ("orange") borders of the XP look, and the
// dotted focus rectangle of the classic scheme.
#include <sheenwork/control/enums.h>
#include <sheenwork/util/error.h>

#include "render/redraw.h"

namespace sheenwork {
namespace {

constexpr OLE_COLOR kWhite = 0x00FFFFFF;

struct RingColors {
    OLE_COLOR c1, c2, c3;
    bool has_c4;
    OLE_COLOR c4;
};

constexpr RingColors kSetF{0x00ECBEA0, 0x00FFE7CE, 0x00EE8269, false, 0};
constexpr RingColors kSetFO{0x0068C6A1, 0x008FD1C2, 0x0066A7A8, false, 0};
constexpr RingColors kSetH{0x0079D2FC, 0x00CFF0FF, 0x000097E5, true, 0x0030B2F8};
constexpr RingColors kSetHO{0x007DAFE9, 0x0095C5FC, 0x002572CF, false, 0};

// Every colour of the set is the own colour when the scheme is cRectColor.
RingColors Resolve(RingColors set, vb::Long scheme, OLE_COLOR own) {
    if (scheme != cRectColor) return set;
    return {own, own, own, set.has_c4, own};
}

void Ring(Procedure& p, host::Surface& s, const RingColors& k) {
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    auto& gdi = s.Gdi();
    p([&] { s.ForeColor(k.c1); });
    p([&] { gdi.RoundRect(s.hDC(), 1, 1, vb::R(W - 1), vb::R(H - 1), 5, 5); });
    p([&] { gdi.RoundRect(s.hDC(), 2, 2, vb::R(W - 2), vb::R(H - 2), 5, 5); });
    const float corners[12][2] = {{1, 2},     {3, 2},         {2, 3},         {W - 2, 2},
                                  {W - 4, 2}, {W - 3, 3},     {1, H - 3},     {3, H - 3},
                                  {2, H - 4}, {W - 2, H - 3}, {W - 4, H - 3}, {W - 3, H - 4}};
    for (const auto& pt : corners) p([&] { s.PSet(pt[0], pt[1], k.c1); });
    p([&] { s.ForeColor(k.c2); });
    p([&] { s.Line(2, 1, W - 2, 1); });
    p([&] { s.ForeColor(k.c3); });
    p([&] { s.Line(2, H - 2, W - 2, H - 2); });
    if (k.has_c4) p([&] { s.Line(1, H - 3, W - 2, H - 3, k.c4); });
}

void SilverAdditions(Procedure& p, host::Surface& s) {
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    auto& gdi = s.Gdi();
    p([&] { s.Line(2, 3, 2, H - 3, kWhite); });
    p([&] { s.Line(W - 3, 3, W - 3, H - 3, kWhite); });
    // Each inner corner point takes the colour of its inner horizontal neighbour.
    const auto copy = [&](float x, float y, int from_x, int from_y) {
        p([&] { s.PSet(x, y, gdi.GetPixel(s.hDC(), from_x, from_y)); });
    };
    copy(3, 3, 4, 3);
    copy(3, H - 4, 4, vb::R(H - 4));
    copy(W - 4, 3, vb::R(W - 5), 3);
    copy(W - 4, H - 4, vb::R(W - 5), vb::R(H - 4));
}

void ClassicFocus(PaintContext& c) {
    // Every statement here is skipped on failure; an unreadable UserMode counts as
    // design time.
    const ButtonRecord& r = c.rec;
    if (r.FocusRect == cOff || !r.bHasFocus) return;
    vb::Boolean user_mode;
    IgnoreErrors([&] { user_mode = c.site.AmbientUserMode(); });
    if (!user_mode) return;
    IgnoreErrors([&] {
        host::Surface& s = c.surface;
        gdi::Rect rc{4, 4, vb::R(s.ScaleWidth() - 4), vb::R(s.ScaleHeight() - 4)};
        s.Gdi().DrawFocusRect(s.hDC(), &rc);
    });
}

}  // namespace

void Painters::drawMLine(PaintContext& c, const std::string& sColor) const {
    Procedure p{"drawMLine", ModuleKind::UserControl, "sheenButton"};
    const ButtonRecord& r = c.rec;
    if (r.ButtonStyle != cButtonWinXP || !r.Enabled) return;
    if (r.ColorStyle == cWinClassic) {
        ClassicFocus(c);
        return;
    }
    if (sColor == "orange" && r.bSpaceDown) return;
    if (sColor == "blue" && r.FocusRect != cOff) {
        const RingColors base = r.FocusRect == cRectXPOlive ? kSetFO : kSetF;
        Ring(p, c.surface, Resolve(base, r.FocusRect, r.FocusRectColor));
        if (r.FocusRect == cRectXPSilver) SilverAdditions(p, c.surface);
    } else if (sColor == "orange" && r.HoverRect != cOff) {
        const RingColors base = r.HoverRect == cRectXPOlive ? kSetHO : kSetH;
        Ring(p, c.surface, Resolve(base, r.HoverRect, r.HoverRectColor));
    }
}

}  // namespace sheenwork
