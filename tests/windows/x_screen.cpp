#include "windows/x_screen.h"

#include <stdexcept>

// Xlib last: its macros (True, False, None, Status) name things of ours.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace sheenwork::testing {
namespace {

// A refused request (a rectangle off the screen) is an answer, not the end of the test
// program, which is what Xlib's own handler makes of it.
int Refused(::Display*, XErrorEvent*) { return 0; }

}  // namespace

png::Image XScreen(const std::string& display, gdi::Rect rect) {
    ::Display* x = XOpenDisplay(display.c_str());
    if (!x) throw std::runtime_error("cannot open the X display " + display);
    const auto previous = XSetErrorHandler(Refused);
    XImage* image = XGetImage(x, DefaultRootWindow(x), rect.left, rect.top, rect.Width(),
                              rect.Height(), AllPlanes, ZPixmap);
    XSetErrorHandler(previous);
    png::Image out{rect.Width(), rect.Height(), {}};
    if (image && image->depth == 24) {
        for (int y = 0; y < rect.Height(); ++y)
            for (int col = 0; col < rect.Width(); ++col) {
                // 0x00RRGGBB to the raster's 0x00BBGGRR.
                const unsigned long p = XGetPixel(image, col, y);
                out.pixels.push_back(
                    static_cast<gdi::ColorRef>((p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF)));
            }
    }
    const int depth = image ? image->depth : 0;
    if (image) XDestroyImage(image);
    XCloseDisplay(x);
    if (depth != 24)
        throw std::runtime_error("no 24-bit image of the screen of " + display + " (depth " +
                                 std::to_string(depth) + ")");
    return out;
}

}  // namespace sheenwork::testing
