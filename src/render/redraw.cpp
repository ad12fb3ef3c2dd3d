// Redraw: repaints the whole control from its state, every time.
#include <sheenwork/control/sheenButton.h>
#include <sheenwork/util/error.h>

#include "render/redraw.h"

namespace sheenwork {
namespace {

// Which state this paint shows. While the drop-down section is pressed (or was and the
// pointer left it) an ordinary paint shows the normal body; the section's pressed look
// comes from the second pass.
std::string ResolveDrawState(const ButtonRecord& rec, vb::Integer iPass) {
    if (!rec.DropDown) return rec.sState;
    if (iPass == 0) return rec.sDropDownState.empty() ? rec.sState : std::string();
    return rec.sDropDownState == "down" ? "down" : "";
}

// The highlight: a press over the button shows none, a press that left it the hover
// border; otherwise hover, then focus/default.
std::string ChooseHighlight(const ButtonRecord& rec, const std::string& sDrawState) {
    if (sDrawState == "down") return rec.bMouseOver ? "" : "orange";
    if (rec.bMouseOver) return "orange";
    return rec.bHasFocus ? "blue" : "";
}

bool HasRoundedFrame(const ButtonRecord& rec) {
    if (rec.ButtonStyle != cButtonWinXP) return false;
    const auto s = rec.ColorStyle;
    return s == cXPBlue || s == cXPSilver || s == cXPOlive || s == cCustom;
}

}  // namespace

void sheenButton::Redraw(vb::Integer iPass) {
    Procedure p{"Redraw", ModuleKind::UserControl, "sheenButton"};
    if (rec_.bLoading) return;

    const auto painters = painters_;  // kept alive through a re-entrant pass
    PaintState ps;
    ps.iPass = iPass;
    host::Surface* surface = nullptr;
    if (!p([&] { surface = &site_.Surface(); })) return;
    // Each statement below is one step of the trap, and so is each statement of the body
    // and drop-down painters (they run their statements through the context's trap).
    PaintContext c{rec_, site_, *surface, ps, &p};

    p([&] { ps.sDrawState = ResolveDrawState(rec_, iPass); });
    p([&] { ps.sHighlight.clear(); });
    ps.cleared = p([&] { surface->Cls(); });

    if (rec_.ButtonStyle == cButtonWinXP) {
        p([&] { painters->XPBody(c); });
        p([&] { ps.clrFrame = surface->ForeColor(); });
    } else if (rec_.ButtonStyle == cButtonOffice || rec_.ButtonStyle == cButtonIExplorer) {
        p([&] { painters->OfficeBody(c); });
    }

    // The second pass of a split paint draws no caption and no picture.
    if (!(iPass == 1 && rec_.DropDown)) {
        if (rec_.PictureInFront) {
            p([&] { painters->WriteCaption(c); });
            p([&] {
                if (rec_.PictureShow) painters->DrawImage(c);
            });
        } else {
            p([&] {
                if (rec_.PictureShow) painters->DrawImage(c);
            });
            p([&] { painters->WriteCaption(c); });
        }
    }

    p([&] { painters->DropDownGlyph(c); });

    p([&] { ps.sHighlight = ChooseHighlight(rec_, ps.sDrawState); });
    p([&] { painters->drawMLine(c, ps.sHighlight); });

    if (HasRoundedFrame(rec_)) {
        p([&] { surface->ForeColor(ps.clrFrame); });
        p([&] {
            surface->Gdi().RoundRect(surface->hDC(), 0, 0, vb::CLng(surface->ScaleWidth()),
                                     vb::CLng(surface->ScaleHeight()), 5, 5);
        });
    }

    if (rec_.sState == "down" && rec_.sDropDownState == "down" && rec_.DropDown) {
        if (iPass == 0) {
            p([&] { rec_.picSnapshot = surface->Image(); });
            p([&] { Redraw(1); });
        } else {
            p([&] {
                if (!rec_.picSnapshot) vb::Raise(91);
                // An unscaled copy of rcMain, destination and source at its corner:
                // everything but the section shows the first pass again, so only the
                // section keeps this pass's pressed look. (Copying the whole picture
                // from that corner would cover a right or bottom section too.)
                const RECT& m = ps.rcMain;
                if (m.Width() <= 0 || m.Height() <= 0) return;
                const auto x = static_cast<float>(m.left), y = static_cast<float>(m.top);
                const auto w = static_cast<float>(m.Width()), h = static_cast<float>(m.Height());
                surface->PaintPicture(*rec_.picSnapshot, x, y, w, h, x, y, w, h);
            });
        }
    }

    p([&] {
        if (rec_.DropDown && rec_.DropDownSeparator && ps.bGlyphDrawn)
            painters->DropDownSeparator(c);
    });
}

void sheenButton::drawMLine(const std::string& sColor) {
    Procedure p{"drawMLine", ModuleKind::UserControl, "sheenButton"};
    const auto painters = painters_;
    p([&] {
        PaintState ps;
        PaintContext c{rec_, site_, site_.Surface(), ps};
        painters->drawMLine(c, sColor);
    });
}

void sheenButton::DrawAdded() {
    Procedure p{"DrawAdded", ModuleKind::UserControl, "sheenButton"};
    const ControlLiveness alive = Liveness();
    p([&] { site_.DoEvents(); });
    // A message it let through may have destroyed the control.
    if (!alive) return;
    // The state is read after the events ran: they may have changed it.
    if (rec_.sState == "down") {
        // A press the pointer has left shows the hover border; one under the pointer is
        // left as the press painted it.
        if (rec_.bMouseOver) return;
        p([&] { Redraw(0); });
        p([&] { drawMLine("orange"); });
        return;
    }
    p([&] { Redraw(0); });
    if (rec_.bMouseOver)
        p([&] { drawMLine("orange"); });
    else if (rec_.bHasFocus)
        p([&] { drawMLine("blue"); });
}

}  // namespace sheenwork
