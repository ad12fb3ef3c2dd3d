// The paint pipeline's working values and the painters Redraw calls at fixed places.
//
// Painters are functions of (record, working values of this paint, site and surface):
// they can be tested on a tiny surface without the control. Redraw decides only when
// each runs, in which order and with which inputs.
#pragma once

#include <sheenwork/control/record.h>
#include <sheenwork/host/site.h>
#include <sheenwork/util/error.h>

#include <memory>
#include <string>
#include <utility>

namespace sheenwork {

// The working values of one paint; none is kept between paints.
struct PaintState {
    vb::Integer iPass = 0;
    std::string sDrawState;  // "" (normal) or "down" (pressed)
    std::string sHighlight;  // "", "blue" or "orange"
    OLE_COLOR clrFrame = 0;  // the fore colour the XP body leaves; the rounded frame's
    RECT rcDropDown;         // the drop-down section
    RECT rcMain;             // the rest of the button
    RECT ptSeparator;        // separator end points (x1, y1) - (x2, y2) as left/top/right/bottom
    vb::Boolean bGlyphDrawn;
    bool cleared = false;       // Cls ran in this paint: the surface shows its back colour only
    bool gradient_set = false;  // the body gave rcGradient a rectangle in this paint
};

// Everything a painter may read or change.
struct PaintContext {
    ButtonRecord& rec;
    host::ControlSite& site;
    host::Surface& surface;
    PaintState& ps;
    // The trap of the Redraw that runs the painter. The body and drop-down painters are
    // parts of Redraw: each of their statements is a step of its trap, so that a silent
    // failure skips that statement alone. Without a trap (a painter called on its own)
    // statements simply run.
    Procedure* trap = nullptr;

    template <class Statement>
    void Step(Statement&& statement) {
        if (trap)
            (*trap)(std::forward<Statement>(statement));
        else
            std::forward<Statement>(statement)();
    }
};

// The painters of the looks. Each default paints its part of the button; a test or a
// tool can substitute its own to observe the pipeline.
struct Painters {
    virtual ~Painters() = default;
    // The body of the XP look (ButtonStyle 0); leaves the frame colour as fore colour.
    virtual void XPBody(PaintContext& c) const;
    // The body of the Office and browser-toolbar looks (ButtonStyle 1 and 2).
    virtual void OfficeBody(PaintContext& c) const;
    virtual void WriteCaption(PaintContext& c) const;
    virtual void DrawImage(PaintContext& c) const;
    // The drop-down glyph step: section rectangles, glyph, bGlyphDrawn.
    virtual void DropDownGlyph(PaintContext& c) const;
    virtual void drawMLine(PaintContext& c, const std::string& sColor) const;
    // The separator beside the drop-down section.
    virtual void DropDownSeparator(PaintContext& c) const;
};

std::shared_ptr<const Painters> DefaultPainters();

// Gives the control surface its own copy of `font`; Nothing leaves the surface's font.
void SetUCFont(host::ControlSite& site, const host::FontRef& font);

}  // namespace sheenwork
