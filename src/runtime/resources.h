// Files the library carries inside itself, embedded at build time (cmake/embed.cmake).
#pragma once

#include <cstddef>
#include <cstdint>

namespace sheenwork::runtime::resources {

// resources/toolbox.bmp: sheenButton's toolbox picture, 16 x 15 pixels at 24 bits.
extern const std::uint8_t kToolboxBitmap[];
extern const std::size_t kToolboxBitmapSize;

}  // namespace sheenwork::runtime::resources
