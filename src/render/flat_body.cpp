// The flat looks: the Office toolbar (a plain face, bordered while hovered or pressed)
// and the browser toolbar (invisible at rest, shaded and rounded while hovered, sunken
// while pressed).
#include <sheenwork/control/enums.h>

#include "render/basButton.h"
#include "render/body_cache.h"
#include "render/redraw.h"

namespace sheenwork {
namespace {

enum class Face { Rest, Hover, Pressed };

Face FaceOf(const PaintContext& c) {
    if (!c.rec.bMouseOver) return Face::Rest;  // also a press whose pointer has left
    return c.ps.sDrawState == "down" ? Face::Pressed : Face::Hover;
}

void Office(PaintContext& c) {
    host::Surface& s = c.surface;
    const ButtonRecord& r = c.rec;
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    if (!r.Enabled) {
        c.Step([&] { s.BackColor(r.BackColorDis); });
        return;
    }
    switch (FaceOf(c)) {
        case Face::Hover:
            c.Step([&] { s.BackColor(r.OfficeBackColor); });
            c.Step([&] { s.Box(0, 0, W - 1, H - 1, r.OfficeBorder); });
            break;
        case Face::Pressed:
            c.Step([&] { s.BackColor(r.OfficeBackColorDown); });
            c.Step([&] { s.Box(0, 0, W - 1, H - 1, r.OfficeBorderDown); });
            break;
        case Face::Rest:
            c.Step([&] { s.BackColor(r.BackColor); });
            c.Step([&] {
                if (r.OfficeBorderOnMouseOut) s.Box(0, 0, W - 1, H - 1, r.OfficeBorder);
            });
            break;
    }
}

// A pixel given relative to the edges: x is counted from the right when from_right, y from
// the bottom when from_bottom (x = W - dx, y = H - dy).
struct Dot {
    float dx;
    bool from_right;
    float dy;
    bool from_bottom;
    OLE_COLOR color;
};

struct Stroke {
    Dot from, to;  // colour in `from`
};

void Dots(PaintContext& c, const Dot* dots, int n) {
    host::Surface& s = c.surface;
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    for (int i = 0; i < n; ++i) {
        const Dot& d = dots[i];
        c.Step([&] {
            s.PSet(d.from_right ? W - d.dx : d.dx, d.from_bottom ? H - d.dy : d.dy, d.color);
        });
    }
}

void Strokes(PaintContext& c, const Stroke* strokes, int n) {
    host::Surface& s = c.surface;
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    const auto X = [&](const Dot& d) { return d.from_right ? W - d.dx : d.dx; };
    const auto Y = [&](const Dot& d) { return d.from_bottom ? H - d.dy : d.dy; };
    for (int i = 0; i < n; ++i)
        c.Step([&] {
            s.Line(X(strokes[i].from), Y(strokes[i].from), X(strokes[i].to), Y(strokes[i].to),
                   strokes[i].from.color);
        });
}

constexpr bool L = false, R = true, T = false, B = true;

constexpr Dot kHoverDots[] = {
    {0, L, 1, T, 0xD9E4E4}, {0, L, 2, T, 0xC9D4D4}, {0, L, 2, B, 0xD7E2E2}, {1, L, 0, T, 0xDDE8E8},
    {1, L, 1, T, 0xD6DEDE}, {1, L, 2, T, 0xF2F5F5}, {1, L, 1, B, 0xDDE8E8}, {2, L, 0, T, 0xCDD8D8},
    {2, L, 1, T, 0xEFF2F2}, {3, R, 0, T, 0xC9D4D4}, {3, R, 1, T, 0xF3F5F5}, {2, R, 0, T, 0xD9E4E4},
    {2, R, 1, T, 0xD6DEDE}, {2, R, 2, T, 0xF0F4F4}, {2, R, 1, B, 0xD9E4E4}, {1, R, 1, T, 0xD9E4E4},
    {1, R, 2, T, 0xC9D4D4}, {1, R, 2, B, 0xD7E2E2},
};

constexpr Stroke kHoverLines[] = {
    {{1, L, 2, B, 0xC6D2D7}, {1, R, 2, B, 0}}, {{1, L, 3, B, 0xD6E1E4}, {2, R, 3, B, 0}},
    {{1, L, 4, B, 0xE5EDEE}, {2, R, 4, B, 0}}, {{3, R, 4, T, 0xE6EEEF}, {3, R, 4, B, 0}},
    {{2, R, 4, T, 0xDEE6E9}, {2, R, 2, B, 0}},
};

constexpr Dot kPressedDots[] = {
    {0, L, 1, T, 0xC5D0D0}, {0, L, 2, T, 0xA0ABAB}, {0, L, 3, B, 0x9CA7A7}, {0, L, 2, B, 0xC0CBCB},
    {1, L, 0, T, 0xCCD7D7}, {1, L, 1, T, 0xA8B2B3}, {1, L, 2, T, 0xCBD3D5}, {1, L, 3, B, 0xD0DADA},
    {1, L, 2, B, 0xABB4B5}, {1, L, 1, B, 0xCCD7D7}, {2, L, 0, T, 0xA8B3B3}, {2, L, 1, T, 0xC1CBCD},
    {2, L, 1, B, 0xCDD5D5}, {2, L, 2, B, 0xA8B3B3}, {3, R, 0, T, 0xA0ABAB}, {3, R, 1, T, 0xCBD3D5},
    {3, R, 1, B, 0xA0ABAB}, {3, R, 2, B, 0xD7DDDE}, {2, R, 0, T, 0xC5D0D0}, {2, R, 1, T, 0xAAB4B4},
    {2, R, 2, T, 0xD1D8D9}, {2, R, 1, B, 0xC5D0D0}, {2, R, 2, B, 0xADB6B6}, {2, R, 3, B, 0xD7DFDF},
    {1, R, 1, T, 0xC5D0D0}, {1, R, 2, T, 0xA0ABAB}, {1, R, 1, B, 0xC0CBCB}, {1, R, 2, B, 0x9CA7A7},
};

constexpr Stroke kPressedLines[] = {
    {{3, L, 1, T, 0xD1DADC}, {4, R, 1, T, 0}}, {{2, L, 2, T, 0xDAE1E3}, {3, R, 2, T, 0}},
    {{1, L, 3, T, 0xD7DFE1}, {1, L, 4, B, 0}}, {{2, L, 3, T, 0xD9E0E1}, {2, L, 3, B, 0}},
    {{3, L, 3, B, 0xDEE5E6}, {3, R, 3, B, 0}}, {{3, L, 2, B, 0xE5EAEB}, {4, R, 2, B, 0}},
};

// The rectangle is its own statement, as in the XP body.
template <class Rect>
void Gradient(PaintContext& c, Rect rc, OLE_COLOR start, OLE_COLOR end) {
    c.Step([&] {
        c.rec.rcGradient = rc();
        c.ps.gradient_set = true;
    });
    c.Step([&] {
        DrawGradient(c.surface.Gdi(), c.surface.hDC(), &c.rec.rcGradient,
                     static_cast<vb::Long>(start), static_cast<vb::Long>(end), 1);
    });
}

void Browser(PaintContext& c) {
    host::Surface& s = c.surface;
    const ButtonRecord& r = c.rec;
    const float W = s.ScaleWidth(), H = s.ScaleHeight();
    if (!r.Enabled) {
        c.Step([&] { s.BackColor(r.BackColorDis); });
    } else {
        const Face face = FaceOf(c);
        c.Step([&] { s.BackColor(face == Face::Pressed ? 0xDAE1E2 : 0xEFF5F5); });
        if (face == Face::Rest) {
            c.Step([&] { s.BackColor(r.BackColor); });
        } else if (face == Face::Hover) {
            Gradient(
                c,
                [&] {
                    return RECT{1, 1, vb::CLng(W - 2), vb::CLng(H - 4)};
                },
                0xEAF1F1, 0xFDFEFE);
            c.Step([&] { s.Box(0, 0, W - 1, H - 1, 0xC3CECE); });
            Dots(c, kHoverDots, std::size(kHoverDots));
            Strokes(c, kHoverLines, std::size(kHoverLines));
        } else {
            Gradient(
                c,
                [&] {
                    return RECT{4, 4, vb::CLng(W - 2), vb::CLng(H - 4)};
                },
                0xD8E0E1, 0xE0E6E7);
            c.Step([&] { s.Box(0, 0, W - 1, H - 1, 0x929D9D); });
            Dots(c, kPressedDots, std::size(kPressedDots));
            Strokes(c, kPressedLines, std::size(kPressedLines));
        }
    }
    for (const auto& p : {std::pair{0.f, 0.f}, {0.f, H - 1}, {W - 1, 0.f}, {W - 1, H - 1}})
        c.Step([&] { s.PSet(p.first, p.second, r.CornerColor); });
}

}  // namespace

void Painters::OfficeBody(PaintContext& c) const {
    BodyCache::OfThisThread().Paint(c, [&] {
        if (c.rec.ButtonStyle == cButtonOffice)
            Office(c);
        else
            Browser(c);
    });
}

}  // namespace sheenwork
