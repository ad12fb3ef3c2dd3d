// The pointer images of the control's xp child object, which the library carries inside
// itself: index 0 is a pointing hand (white, black outline, blue cuff), shown while the
// pointer hovers over a button with AutoXPMouseIcons; index 1 the same hand clicking,
// with four magenta strokes around the fingertip, shown while it is pressed. Both are
// 32 x 32 cursors of 16 colours with their hot spot at the fingertip.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/vb/stdpicture.h>

#include <cstdint>
#include <memory>
#include <span>

namespace sheenwork::picture {

// The picture of xp(index), decoded once and shared, as the host's image holder hands out
// its picture. An index other than 0 or 1 is run-time error 9, "Subscript out of range".
std::shared_ptr<vb::StdPicture> XPPointer(int index);

// The cursor file of xp(index) as carried, for a host that makes a system cursor of it.
std::span<const std::uint8_t> XPPointerFile(int index);

// Where the pointer points, in pixels of its picture from the top-left corner: the hot
// spot the cursor file gives.
gdi::Point XPPointerHotSpot(int index);

}  // namespace sheenwork::picture
