// Where a form or a control goes: its top-left corner and its size in pixels, the way the
// form file writes them (Left, Top, Width, Height). Every call that places a form or a
// control takes the two as separate types, so that a call reads
//
//   form.Add("Sheenwork.sheenButton", "cmdSave", {10, 10}, {100, 36});
//
// and a list of four numbers, whether meant as left, top, right, bottom or as left, top,
// width, height, does not compile. What the runtime reports back (Window::Rect,
// Form::ScreenRect) is a gdi::Rect, whose fields name their meaning.
#pragma once

#include <sheenwork/gdi/gdi.h>

#include <string>

namespace sheenwork::runtime {

// A top-left corner: a control's in its form's client area, a form's client area's on
// the screen. From kMinPosition to kMaxPosition.
struct Position {
    int left = 0, top = 0;
    friend bool operator==(const Position&, const Position&) = default;
};

// A width and a height in pixels, each from 1 to kMaxSide.
struct Size {
    int width = 0, height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// The bounds the runtime accepts: positions of a 16-bit screen coordinate, sides no longer
// than a picture may be, so that no placement asks for an unbounded surface or overflows
// the rectangle it makes.
inline constexpr int kMinPosition = -32768;
inline constexpr int kMaxPosition = 32767;
inline constexpr int kMaxSide = 16384;

// The GDI rectangle a position and a size cover (right and bottom one past the last pixel).
constexpr gdi::Rect RectOf(Position at, Size size) {
    return {at.left, at.top, at.left + size.width, at.top + size.height};
}
constexpr Position PositionOf(const gdi::Rect& r) { return {r.left, r.top}; }
inline Size SizeOf(const gdi::Rect& r) { return {r.Width(), r.Height()}; }

// Throws std::invalid_argument, naming `what` ("cmdSave", "form Form1"), when the size is
// empty (a width or height of 0), inverted (below 0) or above kMaxSide, or the position is
// outside kMinPosition to kMaxPosition.
void CheckPlacement(const std::string& what, Position at, Size size);

}  // namespace sheenwork::runtime
