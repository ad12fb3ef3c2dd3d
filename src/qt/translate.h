// What the Qt widget works out without a widget: Qt's keys, buttons, colours, fonts and
// device pixels in the control's terms. Kept apart from the event handling so that each
// rule can be checked on its own.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/vb/stdfont.h>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace sheenwork::qt {

// ---- input ----

// The virtual key of a Qt key. `native` is the key's X keysym when the platform gives
// one (0 otherwise): it tells the left modifier from the right one, which Qt's key codes
// do not; without it a modifier is its left key, and AltGr the right Alt. 0 for a key
// the control has no code for.
int VirtualKeyOf(int qt_key, std::uint32_t native = 0);

// The runtime's button (1 left, 2 right, 4 middle) of one Qt mouse button, and the mask
// of several; 0 for others.
int ButtonOf(int qt_buttons);

// The character code a key types as the control sees it (KeyAscii): the first character
// of the event's text in the ANSI code page, a letter with Ctrl as its control
// character, nothing while Alt is held (an access key or a menu key types nothing).
// 0 for none.
int KeyAsciiOf(const QString& text, int vk, bool ctrl, bool alt);

// ---- device pixels ----

// How many device pixels a control pixel is wide on a screen of `device_pixel_ratio`:
// the whole part, at least 1, so that every pixel is a block of the same size.
int ScaleOf(double device_pixel_ratio);
// A length in logical pixels as control pixels, and back.
int ToControl(double logical, double device_pixel_ratio);
double ToLogical(int control, double device_pixel_ratio);

// A surface's pixels (0x00BBGGRR) as an opaque image a painter draws as they are.
QImage ImageOf(const std::vector<gdi::ColorRef>& pixels, int width, int height);

// ---- values ----

// An OLE colour as a QColor and back: red, green and blue its three low bytes, alpha 255
// minus its high byte, so that a plain colour is opaque and every value comes back.
QColor ColorOf(std::uint32_t ole);
std::uint32_t OleColorOf(const QColor& color);

// A control font as a QFont, and a QFont as a control font keeping `charset`. Sizes in
// points, weights on the same 1-1000 scale in both.
QFont QFontOf(const vb::StdFont& font);
vb::StdFont StdFontOf(const QFont& font, std::int16_t charset);

// UTF-8 and QString.
std::string Utf8(const QString& s);
QString FromUtf8(const std::string& s);

}  // namespace sheenwork::qt
