// The default painters, each in a file of its own: xp_body.cpp, flat_body.cpp,
// caption_painter.cpp, picture_painter.cpp, drop_down.cpp and highlight.cpp.
#include "render/redraw.h"

namespace sheenwork {

std::shared_ptr<const Painters> DefaultPainters() {
    static const auto painters = std::make_shared<const Painters>();
    return painters;
}

}  // namespace sheenwork
