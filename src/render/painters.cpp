// The default painters not given a file of their own. The caption and picture painters come
// with text and pictures; until then they leave the surface as the body left it.
#include "render/redraw.h"

namespace sheenwork {

void Painters::WriteCaption(PaintContext&) const {}

std::shared_ptr<const Painters> DefaultPainters() {
    static const auto painters = std::make_shared<const Painters>();
    return painters;
}

}  // namespace sheenwork
