// References to the host's font and picture objects as the control holds them. Both are
// shared objects: assigning a reference shares the object, `nullptr` is Nothing.
#pragma once

#include <memory>

namespace sheenwork::vb {
class StdFont;
class StdPicture;
}  // namespace sheenwork::vb

namespace sheenwork::host {
using FontRef = std::shared_ptr<vb::StdFont>;
using PictureRef = std::shared_ptr<vb::StdPicture>;
}  // namespace sheenwork::host
