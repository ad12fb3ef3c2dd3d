// WriteCaption: the caption in the font and colour of the state, measured, placed in one
// of nine positions or by hand, moved aside for a picture beside it and for the drop-down
// section, shifted while held down, embossed when disabled in the classic scheme, and
// drawn with DrawTextA.
//
// Choosing the font and colour ignores its errors; from the measurement on every
// statement is a step of the error trap, so that with SilentError True a failing host
// call costs only that statement.
#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/ansi.h>
#include <sheenwork/vb/convert.h>

#include "render/redraw.h"
#include "render/single_math.h"

namespace sheenwork {
namespace {

constexpr unsigned kMeasure = gdi::DT_CALCRECT | gdi::DT_WORDBREAK;
constexpr OLE_COLOR kWhite = 0x00FFFFFF;
constexpr OLE_COLOR kGrayText = 0x80000011;  // the system colour COLOR_GRAYTEXT

struct Look {
    OLE_COLOR color;
    const host::FontRef* font;
};

// The colour and font of the state, first match wins: a button held down with the
// pointer outside looks like one at rest.
Look LookOf(const ButtonRecord& r) {
    const bool down = r.sState == "down";
    if (!r.Enabled) return {r.ForeColorDis, &r.Font};
    if (!down)
        return r.bMouseOver ? Look{r.ForeColorOver, &r.FontOnMouseOver}
                            : Look{r.ForeColor, &r.Font};
    return r.bMouseOver ? Look{r.ForeColorDown, &r.FontDown} : Look{r.ForeColor, &r.Font};
}

// Room for the drop-down section: the edge facing the section moves by its size.
void MakeRoomForDropDown(const ButtonRecord& r, RECT& rc) {
    const vb::Long size = r.DropDownSize;
    switch (PushFromDropDown(r.DropDownAlign, r.CaptionAlign)) {
        case DropDownPush::Right: rc.left = vb::Add(rc.left, size); break;
        case DropDownPush::Left: rc.right = vb::Sub(rc.right, size); break;
        case DropDownPush::Down: rc.top = vb::Add(rc.top, size); break;
        case DropDownPush::Up: rc.bottom = vb::Sub(rc.bottom, size); break;
        case DropDownPush::None: break;
    }
}

}  // namespace

void SetUCFont(host::ControlSite& site, const host::FontRef& font) {
    Procedure p{"SetUCFont", ModuleKind::UserControl, "sheenButton"};
    if (!font) return;
    p([&] { site.SurfaceFont(CloneFont(font)); });
}

void Painters::WriteCaption(PaintContext& c) const {
    ButtonRecord& r = c.rec;
    host::ControlSite& site = c.site;
    host::Surface& s = c.surface;

    const Look look = LookOf(r);
    IgnoreErrors([&] { s.ForeColor(look.color); });
    IgnoreErrors([&] { SetUCFont(site, *look.font); });

    Procedure p{"WriteCaption", ModuleKind::UserControl, "sheenButton"};
    const auto hdc = [&] { return s.hDC(); };
    const vb::Single W = s.ScaleWidth(), H = s.ScaleHeight();

    // Measured at the full width less the margin, whatever narrows the caption later.
    vb::Single sngT = 0;
    p([&] { r.sngX = 3; });
    p([&] {
        RECT measure{0, 0, vb::R(CheckedSingle(W - 3)), 0};
        sngT = static_cast<vb::Single>(
            s.Gdi().DrawTextA(hdc(), vb::ToAnsi(r.Caption).c_str(), -1, &measure, kMeasure));
    });
    vb::Single sngMiddle = 0, sngBottom = 0;
    p([&] { sngMiddle = CheckedSingle((H - sngT) / 2); });
    p([&] { sngBottom = CheckedSingle(H - sngT - 3); });

    // A picture shares the caption's position: the caption steps aside for it, except in
    // the centre column where the two overlap.
    bool beside = false;
    p([&] {
        beside = r.PictureAlign == r.CaptionAlign && r.PictureShow && r.picCurrent != nullptr;
    });
    vb::Single sngWp = 0;
    if (beside) p([&] { sngWp = site.Image1().Width(); });

    unsigned h = gdi::DT_LEFT;
    bool pull_right = false;
    const vb::Long align = r.CaptionAlign;
    if (align >= cLinks_Oben && align <= cRechts_Unten) {
        const vb::Long column = align % 3, row = align / 3;
        h = column == 0 ? gdi::DT_LEFT : column == 1 ? gdi::DT_CENTER : gdi::DT_RIGHT;
        p([&] { r.sngY = row == 0 ? 3.0f : row == 1 ? sngMiddle : sngBottom; });
        if (beside && column == 0) p([&] { r.sngX = CheckedSingle(3 + sngWp + 3); });
        pull_right = beside && column == 2;
    } else if (align == cBenutzerdefiniert) {
        p([&] { r.sngY = CheckedSingle(site.ScaleTwipsToPixelsY(r.CaptionTop)); });
        p([&] { r.sngX = CheckedSingle(site.ScaleTwipsToPixelsX(r.CaptionLeft)); });
    }

    if (r.MoveCaptionAtDown && r.sState == "down" && r.bMouseOver) {
        p([&] { r.sngX = CheckedSingle(r.sngX + 1); });
        p([&] { r.sngY = CheckedSingle(r.sngY + 1); });
    }

    RECT rc;
    p([&] {
        rc = RECT{vb::R(r.sngX), vb::R(r.sngY), vb::R(CheckedSingle(W - 3)),
                  vb::R(CheckedSingle(H - 3))};
    });
    if (pull_right)
        p([&] {
            rc.right = vb::R(CheckedSingle(static_cast<vb::Single>(rc.right) - (sngWp + 3)));
        });
    if (r.DropDown) p([&] { MakeRoomForDropDown(r, rc); });

    if (!r.Enabled && r.ColorStyle == cWinClassic) {
        // Embossed: white at the position, then grey text one pixel up and to the left.
        RECT copy;
        p([&] { copy = rc; });
        p([&] { s.ForeColor(kWhite); });
        p([&] {
            s.Gdi().DrawTextA(hdc(), vb::ToAnsi(r.Caption).c_str(), -1, &rc, h | gdi::DT_WORDBREAK);
        });
        p([&] {
            copy.left = vb::Sub(copy.left, 1);
            copy.top = vb::Sub(copy.top, 1);
            copy.right = vb::Sub(copy.right, 1);
            copy.bottom = vb::Sub(copy.bottom, 1);
        });
        p([&] { s.ForeColor(kGrayText); });
        p([&] { rc = copy; });
    }
    p([&] {
        s.Gdi().DrawTextA(hdc(), vb::ToAnsi(r.Caption).c_str(), -1, &rc, h | gdi::DT_WORDBREAK);
    });
}

}  // namespace sheenwork
