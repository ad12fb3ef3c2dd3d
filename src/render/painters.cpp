// The default painters. The bodies, caption, picture, drop-down and highlight painters
// each come with their look; until a look is painted its painter leaves the surface as
// Redraw's Cls left it.
#include "render/redraw.h"

namespace sheenwork {

void Painters::XPBody(PaintContext&) const {}
void Painters::OfficeBody(PaintContext&) const {}
void Painters::WriteCaption(PaintContext&) const {}
void Painters::DrawImage(PaintContext&) const {}
void Painters::DropDownGlyph(PaintContext& c) const { c.ps.bGlyphDrawn = vb::False; }
void Painters::drawMLine(PaintContext&, const std::string&) const {}
void Painters::DropDownSeparator(PaintContext&) const {}

std::shared_ptr<const Painters> DefaultPainters() {
    static const auto painters = std::make_shared<const Painters>();
    return painters;
}

}  // namespace sheenwork
