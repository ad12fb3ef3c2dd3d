// What the desktop host works out without touching a window: SDL's keys, buttons and
// pointer positions in the runtime's terms, the pixels of a form and of a pointer
// picture as the screen wants them, and how long the loop may sleep. Kept apart from the
// event loop so that every rule can be checked on its own.
#pragma once

#include <SDL.h>

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/runtime/clock.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/vb/stdpicture.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sheenwork::desktop {

// ---- titles ----

// A form's caption as its window's title: the text the ANSI code page holds (a character
// outside it becomes "?", as on the platform), in UTF-8.
std::string WindowTitle(const std::string& caption);
// The Latin-1 bytes of a UTF-8 text; none when a character has no Latin-1 code.
std::optional<std::string> Latin1(const std::string& utf8);
// Gives the window the caption as its title, in UTF-8 for the window manager.
void SetWindowTitle(SDL_Window* window, const std::string& caption);
// On X, an error about a window that is already gone no longer ends the process (once
// for the process; other errors go where they went before).
void TolerateGoneWindows();

// ---- input ----

// The virtual key of an SDL key (by its symbol, so that letters follow the keyboard
// layout as Windows' virtual keys do); 0 for a key the runtime has no code for.
int VirtualKeyOf(SDL_Keycode sym);

// The runtime's mouse button (1 left, 2 right, 4 middle) of an SDL button; 0 for others.
int ButtonOf(std::uint8_t sdl_button);

// The character Windows' message loop types from a key down itself, where SDL's text
// input brings none: Enter, Escape, Tab, Backspace, and a letter with Ctrl (its control
// character). 0 for none; Alt with a key types nothing.
char ControlCharOf(int vk, bool ctrl, bool alt);

// Whether text that arrives while these modifiers are held is typed. Alt with a key
// is an access key or a menu key on Windows and types nothing, but SDL also sends the
// key's text ("s" with Alt+S); AltGr (Ctrl+Alt on Windows) types its characters.
bool TypesText(bool alt, bool ctrl, bool altgr);

// The runtime's screen point under pixel (x, y) of a window whose top-left pixel shows
// `origin`, each runtime pixel being scale x scale window pixels. A captured drag
// reports points left of or above the window: they round down, as the screen does.
gdi::Point ScreenPointOf(gdi::Point origin, int x, int y, int scale);

// Whether `event` is the motion SDL adds when the pointer leaves a window, clamped to
// the window's edge: a motion followed at once by that window's leave event. It is not
// where the pointer is and must not reach the runtime.
bool IsLeaveEcho(const SDL_Event& event, const SDL_Event* next);

// ---- pixels ----

// The size of a form whose window is width x height screen pixels at `scale`: whole form
// pixels, at least one, at most runtime::kMaxSide.
runtime::Size ClientSizeOf(int width, int height, int scale);

// A form's picture (0x00BBGGRR, rows from the top) into a 0x00RRGGBB window buffer of
// `pitch` bytes a row, each pixel a scale x scale block: exact pixels, no smoothing.
void Magnify(std::span<const gdi::ColorRef> picture, int width, int height, int scale,
             std::uint32_t* out, int pitch);

// A pointer picture as a colour cursor wants it: 0xAARRGGBB premultiplied by its alpha,
// each pixel a scale x scale block.
std::vector<std::uint32_t> CursorPixels(const vb::StdPicture& picture, int scale);

// The stock pointer SDL shows for a runtime pointer; the nearest one where SDL has no
// such shape (the arrow for Icon, UpArrow and ArrowQuestion).
SDL_SystemCursor SystemCursorOf(runtime::Cursor cursor);

// ---- the loop ----

// How long the loop may sleep, in milliseconds: 0 while work is pending, else until the
// earlier of the next timer and the next deadline (0 when already due), and without
// end (nullopt) when there is neither: a resting host costs nothing.
std::optional<int> SleepFor(runtime::Millis now, bool pending, std::optional<runtime::Millis> timer,
                            std::optional<runtime::Millis> deadline);

}  // namespace sheenwork::desktop
