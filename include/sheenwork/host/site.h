// The control site: everything the control asks of its container, and nothing else.
//
// The control never reaches the form, the windowing system or the host's objects other
// than through this interface. Every operation may fail (throw vb::RuntimeError); the
// control's error trap deals with it. The headless form runtime, the interactive hosts
// and the tests each implement it.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/host/objects.h>
#include <sheenwork/host/surface.h>
#include <sheenwork/vb/boolean.h>
#include <sheenwork/vb/convert.h>
#include <sheenwork/vb/variant.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sheenwork::host {

// The invisible picture holder Image1: a picture, a size in pixels and a stretch
// switch. With stretching off it takes its picture's natural size whenever the picture
// or the switch changes (no picture: 0 x 0); with stretching on it keeps the size last
// assigned.
class PictureHolder {
public:
    virtual ~PictureHolder() = default;
    virtual PictureRef Picture() const = 0;
    virtual void Picture(PictureRef picture) = 0;
    virtual vb::Single Width() const = 0;
    virtual void Width(vb::Single pixels) = 0;
    virtual vb::Single Height() const = 0;
    virtual void Height(vb::Single pixels) = 0;
    virtual vb::Boolean Stretch() const = 0;
    virtual void Stretch(vb::Boolean on) = 0;
};

// A button of the About window: what it says and what it opens through the shell.
struct AboutLink {
    std::string caption;
    std::string target;      // a document, a program or an address
    std::string parameters;  // handed to a program target
};

// What the About window shows; the host decides how. Besides a button that closes it,
// the window has one button per link, which the host hands to OpenAboutLink.
struct AboutInfo {
    std::string product;  // "Sheenwork"
    std::string control;  // "sheenButton"
    std::string author;
    std::string version;  // "2.8.0"
    std::string years;
    std::vector<AboutLink> links;  // help, web page, licence
};

// Opens a link of the About window through the shell's "open", as a click opens its
// address; a target that cannot be opened is ignored, as there.
void OpenAboutLink(const AboutLink& link) noexcept;

class ControlSite {
public:
    virtual ~ControlSite() = default;

    // The container is told that a property changed (it marks the form dirty and
    // refreshes its property browser).
    virtual void PropertyChanged(const std::string& name) = 0;

    // Ambient properties.
    virtual vb::Boolean AmbientUserMode() = 0;
    virtual vb::Boolean AmbientDisplayAsDefault() = 0;

    // The extender: "Name" (the instance name the host gave the control) and
    // "Default" (it is the form's default button).
    virtual std::string ExtenderName() = 0;
    virtual vb::Boolean ExtenderDefault() = 0;

    // The container ("Parent"): the object itself (Nothing when there is none), its
    // font (null when it has none) and back colour, its window and whether it is a form.
    virtual vb::Object Parent() = 0;
    virtual FontRef ParentFont() = 0;
    virtual std::uint32_t ParentBackColor() = 0;
    virtual long ParentHwnd() = 0;
    virtual vb::Boolean ParentIsForm() = 0;

    // The control surface and the settings the control mirrors to it. Saving reads
    // some of them back from the surface rather than from the control's fields.
    virtual host::Surface& Surface() = 0;
    virtual long SurfaceHwnd() = 0;
    virtual vb::Boolean SurfaceEnabled() = 0;
    virtual void SurfaceEnabled(vb::Boolean value) = 0;
    virtual void SurfaceFont(FontRef font) = 0;
    virtual PictureRef SurfaceMouseIcon() = 0;
    virtual void SurfaceMouseIcon(PictureRef picture) = 0;
    virtual vb::Integer SurfaceMousePointer() = 0;
    virtual void SurfaceMousePointer(vb::Integer pointer) = 0;
    virtual vb::Boolean SurfaceRightToLeft() = 0;
    virtual void SurfaceRightToLeft(vb::Boolean value) = 0;
    virtual vb::Integer SurfaceOLEDropMode() = 0;
    virtual void SurfaceOLEDropMode(vb::Integer mode) = 0;
    virtual void SurfaceAccessKeys(const std::string& keys) = 0;

    // The child objects of the surface.
    virtual PictureHolder& Image1() = 0;
    // pTemp, an off-screen picture box drawn through the same GDI as the control surface:
    // the picture painter resizes it, clears it, paints the picture into it and hands its
    // hDC to TransBlt as the source of the masked copy. It lives as long as the site and
    // keeps its size and back colour between paints.
    virtual host::Surface& pTemp() = 0;
    // lblFont's font (the default fonts) and lblDropDown's font (the drop-down glyphs).
    // Loading gives lblFont the container's font first, so that the default fonts are
    // the container's.
    virtual FontRef lblFontFont() = 0;
    virtual void lblFontFont(FontRef font) = 0;
    virtual FontRef lblDropDownFont() = 0;
    // The hover timer tmrMouseIn; its ticks come back as the control's tmrMouseIn_Timer.
    // Whether it runs is the timer's own state: loading starts it as well as the mouse
    // handling, so the control asks rather than remembering what it set.
    virtual vb::Boolean tmrMouseInEnabled() = 0;
    virtual void tmrMouseInEnabled(vb::Boolean on) = 0;
    virtual void tmrMouseInInterval(long milliseconds) = 0;
    // The pointer images of xp (hand pointers), by index.
    virtual PictureRef xpPointer(int index) = 0;

    // Focus and the message loop.
    virtual void SetFocus() = 0;
    virtual void DoEvents() = 0;

    // Twips <-> pixels as the container measures.
    virtual vb::Single ScaleTwipsToPixelsX(vb::Single twips) = 0;
    virtual vb::Single ScaleTwipsToPixelsY(vb::Single twips) = 0;

    // Windows of the desktop: a window's screen rectangle, the cursor, the window under
    // a point, the state of a key (GetAsyncKeyState).
    virtual gdi::Rect GetWindowRect(long hwnd) = 0;
    virtual gdi::Point GetCursorPos() = 0;
    virtual long WindowFromPoint(gdi::Point screen) = 0;
    virtual std::int16_t GetAsyncKeyState(int virtual_key) = 0;

    // The modal About window.
    virtual void ShowAbout(const AboutInfo& info) = 0;
};

}  // namespace sheenwork::host
