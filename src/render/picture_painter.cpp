// DrawImage: the picture of the current state, placed, shifted for a press and for the
// drop-down section, and drawn either plainly or with the mask colour left transparent (a
// bitmap with soft edges of its own: blended by its alpha).
//
// Every statement is a step of the error trap, so that with SilentError True a failing
// host call (Image1, the twips conversion, pTemp) costs only that statement: a position
// that cannot be computed keeps the value the caption painter left in sngX / sngY.
#include <sheenwork/control/enums.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/convert.h>
#include <sheenwork/vb/stdpicture.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "render/basButton.h"
#include "render/redraw.h"
#include "render/single_math.h"

namespace sheenwork {
namespace {

// Room for the drop-down section: the picture moves away from the section by its whole
// size (a centred caption moves by half, as only one of its edges does).
void ShiftForDropDown(ButtonRecord& r) {
    const auto size = static_cast<vb::Single>(r.DropDownSize);
    switch (PushFromDropDown(r.DropDownAlign, r.PictureAlign)) {
        case DropDownPush::Right: r.sngX = CheckedSingle(r.sngX + size); break;
        case DropDownPush::Left: r.sngX = CheckedSingle(r.sngX - size); break;
        case DropDownPush::Down: r.sngY = CheckedSingle(r.sngY + size); break;
        case DropDownPush::Up: r.sngY = CheckedSingle(r.sngY - size); break;
        case DropDownPush::None: break;
    }
}

// The picture of the state, first match wins. A state without its own picture shows
// none: nothing falls back to Picture except through AllPicturesSame.
host::PictureRef ChoosePicture(const ButtonRecord& r) {
    if (r.AllPicturesSame) return r.Picture;
    if (!r.Enabled) return r.PictureDis;
    if (r.bMouseOver) return r.sState == "down" ? r.PictureDown : r.PictureOver;
    return r.Picture;
}

}  // namespace

void Painters::DrawImage(PaintContext& c) const {
    Procedure p{"DrawImage", ModuleKind::UserControl, "sheenButton"};
    ButtonRecord& r = c.rec;
    host::ControlSite& site = c.site;
    host::Surface& s = c.surface;
    // Image1's size is the size every state's picture is drawn at; it is read where it
    // is used, as each use is a call on the holder.
    const auto w = [&] { return site.Image1().Width(); };
    const auto h = [&] { return site.Image1().Height(); };

    // Position. Left, top and bottom keep a 3-pixel margin; on the right the picture ends
    // flush with the edge. Halves stay halves until a pixel is needed.
    const vb::Long align = r.PictureAlign;
    if (align >= cLinks_Oben && align <= cRechts_Unten) {
        const vb::Long column = align % 3, row = align / 3;
        p([&] {
            r.sngX = column == 0   ? 3.0f
                     : column == 1 ? CheckedSingle((s.ScaleWidth() - w()) / 2)
                                   : CheckedSingle(s.ScaleWidth() - w());
        });
        p([&] {
            r.sngY = row == 0   ? 3.0f
                     : row == 1 ? CheckedSingle((s.ScaleHeight() - h()) / 2)
                                : CheckedSingle(s.ScaleHeight() - h() - 3);
        });
    } else if (align == cBenutzerdefiniert) {
        p([&] { r.sngX = CheckedSingle(site.ScaleTwipsToPixelsX(r.PictureLeft)); });
        p([&] { r.sngY = CheckedSingle(site.ScaleTwipsToPixelsY(r.PictureTop)); });
    }

    // Held down under the pointer the picture moves with the caption.
    if (r.MoveCaptionAtDown && r.sState == "down" && r.bMouseOver) {
        p([&] { r.sngX = CheckedSingle(r.sngX + 1); });
        p([&] { r.sngY = CheckedSingle(r.sngY + 1); });
    }

    if (r.DropDown) p([&] { ShiftForDropDown(r); });

    p([&] { r.picCurrent = ChoosePicture(r); });
    if (!r.picCurrent) return;
    // Held for the rest of the paint: a host call on the way may not drop it.
    const host::PictureRef picture = r.picCurrent;

    if (!r.UseMaskColor) {
        p([&] {
            const vb::Single pw = w(), ph = h();
            s.PaintPicture(*picture, r.sngX, r.sngY, pw, ph);
        });
        return;
    }

    // A bitmap with soft edges of its own (a PNG's alpha channel) says by itself what is
    // transparent: it is blended over the button by its alpha, on the pixels the masked
    // path would cover. Through pTemp its edges would be blended with the mask colour and
    // keep a fringe of it that TransBlt cannot take away. Icons keep the masked path, as
    // the pictures of the classic world all do.
    if (picture->SoftAlpha() && picture->Type() != vb::PictureType::Icon) {
        p([&] {
            const auto pixel = [](vb::Single v) { return static_cast<vb::Single>(vb::R(v)); };
            s.PaintPicture(*picture, pixel(r.sngX), pixel(r.sngY), pixel(w()), pixel(h()));
        });
        return;
    }

    // The masked path: the picture goes through pTemp, cleared to the mask colour first,
    // so that the transparent areas of an icon's own come out as the mask colour and
    // TransBlt keeps what is beneath them. TransBlt compares with MaskColor as it is (a
    // system colour value matches no pixel), while the clear resolves it.
    p([&] {
        host::Surface& t = site.pTemp();
        const vb::Long height = vb::R(h());
        if (t.ScaleHeight() != static_cast<vb::Single>(height))
            t.Resize(static_cast<int>(t.ScaleWidth()), height);
    });
    p([&] {
        host::Surface& t = site.pTemp();
        const vb::Long width = vb::R(w());
        if (t.ScaleWidth() != static_cast<vb::Single>(width))
            t.Resize(width, static_cast<int>(t.ScaleHeight()));
    });
    p([&] { site.pTemp().BackColor(r.MaskColor); });
    p([&] { site.pTemp().Cls(); });
    p([&] {
        host::Surface& t = site.pTemp();
        const vb::Single pw = w(), ph = h();
        t.PaintPicture(*picture, 0, 0, pw, ph);
    });
    p([&] {
        const vb::Long x = vb::R(r.sngX), y = vb::R(r.sngY);
        const vb::Long nw = vb::R(w()), nh = vb::R(h());
        const gdi::Hdc src = site.pTemp().hDC();
        TransBlt(s.Gdi(), s.hDC(), x, y, nw, nh, src, 0, 0, static_cast<vb::Long>(r.MaskColor));
    });
}

}  // namespace sheenwork
