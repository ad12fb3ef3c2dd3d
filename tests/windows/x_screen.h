// The screen of an X display as the server holds it, read with one GetImage of the root
// window. xwd's dump of the root window, finding windows with a colour map of their own
// (Wine makes one for all its windows), reads the screen window by window instead and
// leaves black where a window above another covers it: the real tooltip, a top-level
// window over the form, never shows in it.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <string>

#include "png_io.h"

namespace sheenwork::testing {

// The pixels of `rect` on the screen of `display` (":N"), as 0x00BBGGRR.
png::Image XScreen(const std::string& display, gdi::Rect rect);

}  // namespace sheenwork::testing
