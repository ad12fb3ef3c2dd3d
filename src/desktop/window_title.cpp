// What the host asks of X itself, set apart from the rest of the host (Xlib's names,
// Window, Display, None, Status, would clash with the runtime's): window titles in UTF-8,
// and errors about windows that are already gone.
// Our headers first: Xlib's macros (True, False) would break them.
#include <sheenwork/vb/ansi.h>

#include "desktop/translate.h"

// clang-format off
#include <SDL_syswm.h>
// clang-format on
#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace sheenwork::desktop {

#if defined(SDL_VIDEO_DRIVER_X11)
namespace {

XErrorHandler previous_handler = nullptr;

// A request can reach the server after its window went (a menu closed by its own click,
// a dialog ended by a key): X answers BadWindow or BadDrawable, which is no fault of the
// program, and Xlib's default answer to an error is to end the process.
int IgnoreGoneWindows(::Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow || error->error_code == BadDrawable) return 0;
    return previous_handler ? previous_handler(display, error) : 0;
}

}  // namespace
#endif

void TolerateGoneWindows() {
#if defined(SDL_VIDEO_DRIVER_X11)
    static const bool installed = [] {
        previous_handler = XSetErrorHandler(IgnoreGoneWindows);
        return true;
    }();
    (void)installed;
#endif
}

std::string WindowTitle(const std::string& caption) { return vb::FromAnsi(vb::ToAnsi(caption)); }

std::optional<std::string> Latin1(const std::string& utf8) {
    std::string out;
    for (std::size_t at = 0; at < utf8.size();) {
        const vb::Utf8Character c = vb::DecodeUtf8(utf8, at);
        if (c.length == 0 || c.code > 0xFF) return std::nullopt;
        out += static_cast<char>(c.code);
        at += c.length;
    }
    return out;
}

void SetWindowTitle(SDL_Window* window, const std::string& caption) {
    const std::string title = WindowTitle(caption);
    SDL_SetWindowTitle(window, title.c_str());
#if defined(SDL_VIDEO_DRIVER_X11)
    // SDL hands X the title through the C library's multibyte conversion, which follows
    // the process's locale: in a program that never chose one, a UTF-8 title is taken for
    // Latin-1 and gets no _NET_WM_NAME. Both names are stated here: _NET_WM_NAME in UTF-8,
    // WM_NAME in Latin-1 (ICCCM's STRING) where every character has one, else in UTF-8 too.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    ::Display* display = info.info.x11.display;
    const ::Window xwindow = info.info.x11.window;
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const auto set = [&](Atom property, Atom type, const std::string& text) {
        XChangeProperty(display, xwindow, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
    };
    set(XInternAtom(display, "_NET_WM_NAME", False), utf8, title);
    const std::optional<std::string> latin1 = Latin1(title);
    set(XA_WM_NAME, latin1 ? XA_STRING : utf8, latin1.value_or(title));
    XFlush(display);
#endif
}

}  // namespace sheenwork::desktop
