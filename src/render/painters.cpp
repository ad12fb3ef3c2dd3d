// The default painters not given a file of their own. The caption, picture and drop-down
// glyph painters come with text and pictures; until then they leave the surface as the
// body left it.
#include "render/redraw.h"

namespace sheenwork {

void Painters::WriteCaption(PaintContext&) const {}
void Painters::DrawImage(PaintContext&) const {}
void Painters::DropDownGlyph(PaintContext& c) const { c.ps.bGlyphDrawn = vb::False; }
// The separator: a filled box from (x1, y1) to (x2, y2), both ends included.
void Painters::DropDownSeparator(PaintContext& c) const {
    const RECT& pt = c.ps.ptSeparator;
    c.surface.FilledBox(static_cast<float>(pt.left), static_cast<float>(pt.top),
                        static_cast<float>(pt.right), static_cast<float>(pt.bottom),
                        c.rec.DropDownSeparatorColor);
}

std::shared_ptr<const Painters> DefaultPainters() {
    static const auto painters = std::make_shared<const Painters>();
    return painters;
}

}  // namespace sheenwork
