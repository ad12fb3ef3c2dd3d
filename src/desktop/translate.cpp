#include "desktop/translate.h"

#include <sheenwork/runtime/keys.h>

#include <algorithm>
#include <limits>

namespace sheenwork::desktop {

using namespace runtime;

int VirtualKeyOf(SDL_Keycode sym) {
    if (sym >= SDLK_a && sym <= SDLK_z) return 'A' + (sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9) return '0' + (sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12) return VK_F1 + (sym - SDLK_F1);
    if (sym >= SDLK_F13 && sym <= SDLK_F24) return VK_F1 + 12 + (sym - SDLK_F13);
    if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9) return 0x61 + (sym - SDLK_KP_1);  // VK_NUMPAD1..
    switch (sym) {
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_TAB: return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return VK_RETURN;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_LSHIFT: return VK_LSHIFT;
        case SDLK_RSHIFT: return VK_RSHIFT;
        case SDLK_LCTRL: return VK_LCONTROL;
        case SDLK_RCTRL: return VK_RCONTROL;
        case SDLK_LALT: return VK_LMENU;
        case SDLK_RALT:
        case SDLK_MODE: return VK_RMENU;  // AltGr
        case SDLK_PAUSE: return 0x13;
        case SDLK_CAPSLOCK: return 0x14;
        case SDLK_PAGEUP: return 0x21;
        case SDLK_PAGEDOWN: return 0x22;
        case SDLK_END: return VK_END;
        case SDLK_HOME: return VK_HOME;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_UP: return VK_UP;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_PRINTSCREEN: return 0x2C;
        case SDLK_INSERT: return 0x2D;
        case SDLK_DELETE: return VK_DELETE;
        case SDLK_LGUI: return 0x5B;
        case SDLK_RGUI: return 0x5C;
        case SDLK_APPLICATION: return 0x5D;
        case SDLK_KP_0: return 0x60;
        case SDLK_KP_MULTIPLY: return 0x6A;
        case SDLK_KP_PLUS: return 0x6B;
        case SDLK_KP_MINUS: return 0x6D;
        case SDLK_KP_PERIOD: return 0x6E;
        case SDLK_KP_DIVIDE: return 0x6F;
        case SDLK_NUMLOCKCLEAR: return 0x90;
        case SDLK_SCROLLLOCK: return 0x91;
        // The punctuation keys of a US keyboard (VK_OEM_*).
        case SDLK_SEMICOLON: return 0xBA;
        case SDLK_EQUALS: return 0xBB;
        case SDLK_COMMA: return 0xBC;
        case SDLK_MINUS: return 0xBD;
        case SDLK_PERIOD: return 0xBE;
        case SDLK_SLASH: return 0xBF;
        case SDLK_BACKQUOTE: return 0xC0;
        case SDLK_LEFTBRACKET: return 0xDB;
        case SDLK_BACKSLASH: return 0xDC;
        case SDLK_RIGHTBRACKET: return 0xDD;
        case SDLK_QUOTE: return 0xDE;
        default: return 0;
    }
}

int ButtonOf(std::uint8_t sdl_button) {
    switch (sdl_button) {
        case SDL_BUTTON_LEFT: return 1;
        case SDL_BUTTON_RIGHT: return 2;
        case SDL_BUTTON_MIDDLE: return 4;
        default: return 0;
    }
}

char ControlCharOf(int vk, bool ctrl, bool alt) {
    if (alt) return 0;
    if (ctrl) return vk >= 'A' && vk <= 'Z' ? static_cast<char>(vk - 'A' + 1) : 0;
    switch (vk) {
        case VK_RETURN: return '\r';
        case VK_ESCAPE: return 27;
        case VK_TAB: return '\t';
        case VK_BACK: return 8;
        default: return 0;
    }
}

bool TypesText(bool alt, bool ctrl, bool altgr) { return altgr || !alt || ctrl; }

gdi::Point ScreenPointOf(gdi::Point origin, int x, int y, int scale) {
    const auto down = [scale](int v) { return v >= 0 ? v / scale : -((-v + scale - 1) / scale); };
    return {origin.x + down(x), origin.y + down(y)};
}

bool IsLeaveEcho(const SDL_Event& event, const SDL_Event* next) {
    return event.type == SDL_MOUSEMOTION && next && next->type == SDL_WINDOWEVENT &&
           next->window.event == SDL_WINDOWEVENT_LEAVE &&
           next->window.windowID == event.motion.windowID;
}

runtime::Size ClientSizeOf(int width, int height, int scale) {
    const auto side = [&](int pixels) {
        return std::clamp(pixels / std::max(scale, 1), 1, runtime::kMaxSide);
    };
    return {side(width), side(height)};
}

void Magnify(std::span<const gdi::ColorRef> picture, int width, int height, int scale,
             std::uint32_t* out, int pitch) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(out);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(bytes + static_cast<std::ptrdiff_t>(y) *
                                                                 scale * pitch);
        for (int x = 0; x < width; ++x) {
            const gdi::ColorRef c = picture[static_cast<std::size_t>(y) * width + x];
            const std::uint32_t rgb = (c & 0x00FF00) | ((c & 0xFF) << 16) | ((c >> 16) & 0xFF);
            std::fill_n(row + static_cast<std::ptrdiff_t>(x) * scale, scale, rgb);
        }
        // The other rows of the block repeat the first.
        for (int k = 1; k < scale; ++k)
            std::copy_n(bytes + static_cast<std::ptrdiff_t>(y) * scale * pitch,
                        static_cast<std::size_t>(width) * scale * 4,
                        bytes + (static_cast<std::ptrdiff_t>(y) * scale + k) * pitch);
    }
}

std::vector<std::uint32_t> CursorPixels(const vb::StdPicture& picture, int scale) {
    const int w = picture.PixelWidth(), h = picture.PixelHeight();
    std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * scale * h * scale);
    for (int y = 0; y < h * scale; ++y)
        for (int x = 0; x < w * scale; ++x) {
            const std::uint32_t p = picture.Pixel(x / scale, y / scale);
            const std::uint32_t a = p >> 24;
            const auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            out[static_cast<std::size_t>(y) * w * scale + x] =
                (a << 24) | (mul((p >> 16) & 0xFF) << 16) | (mul((p >> 8) & 0xFF) << 8) |
                mul(p & 0xFF);
        }
    return out;
}

SDL_SystemCursor SystemCursorOf(Cursor cursor) {
    switch (cursor) {
        case Cursor::Cross: return SDL_SYSTEM_CURSOR_CROSSHAIR;
        case Cursor::IBeam: return SDL_SYSTEM_CURSOR_IBEAM;
        case Cursor::Size:
        case Cursor::SizeAll: return SDL_SYSTEM_CURSOR_SIZEALL;
        case Cursor::SizeNESW: return SDL_SYSTEM_CURSOR_SIZENESW;
        case Cursor::SizeNS: return SDL_SYSTEM_CURSOR_SIZENS;
        case Cursor::SizeNWSE: return SDL_SYSTEM_CURSOR_SIZENWSE;
        case Cursor::SizeWE: return SDL_SYSTEM_CURSOR_SIZEWE;
        case Cursor::Hourglass: return SDL_SYSTEM_CURSOR_WAIT;
        case Cursor::NoDrop: return SDL_SYSTEM_CURSOR_NO;
        case Cursor::ArrowHourglass: return SDL_SYSTEM_CURSOR_WAITARROW;
        default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

std::optional<int> SleepFor(Millis now, bool pending, std::optional<Millis> timer,
                            std::optional<Millis> deadline) {
    if (pending) return 0;
    std::optional<Millis> wake = timer;
    if (deadline && (!wake || *deadline < *wake)) wake = deadline;
    if (!wake) return std::nullopt;
    const auto left = (*wake - now).count();
    if (left <= 0) return 0;
    return static_cast<int>(std::min<long long>(left, std::numeric_limits<int>::max()));
}

}  // namespace sheenwork::desktop
