// The platform's windowing calls as the library makes them (Windows' USER and the
// common controls): windows of a class made by name, messages sent to them, windows
// destroyed. The window classes are our own; today one, the common controls' tooltip
// class "tooltips_class32", which InitCommonControls registers.
//
// The windows these classes make are popups of a window host: the form runtime, and the
// desktop host that shows its windows for real. The host gives each popup a surface and
// a place on the screen, runs its timers, tells it where the cursor is and which window
// lies under a point, and hands it the mouse messages of other windows (a subclass).
//
// Everything runs on the user-interface thread. A window procedure throws nothing: a
// message it cannot handle answers 0.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/host/surface.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace sheenwork::user {

using Hwnd = long;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

enum : unsigned {
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_USER = 0x0400,
};

// The tooltip messages of the common controls, ANSI forms.
enum : unsigned {
    TTM_SETDELAYTIME = WM_USER + 3,
    TTM_ADDTOOLA = WM_USER + 4,
    TTM_DELTOOLA = WM_USER + 5,
    TTM_UPDATETIPTEXTA = WM_USER + 12,
    TTM_GETTOOLCOUNT = WM_USER + 13,
    TTM_ENUMTOOLSA = WM_USER + 14,
    TTM_SETTIPBKCOLOR = WM_USER + 19,
    TTM_SETTIPTEXTCOLOR = WM_USER + 20,
    TTM_GETDELAYTIME = WM_USER + 21,
    TTM_GETTIPBKCOLOR = WM_USER + 22,
    TTM_GETTIPTEXTCOLOR = WM_USER + 23,
    TTM_SETMAXTIPWIDTH = WM_USER + 24,
    TTM_GETMAXTIPWIDTH = WM_USER + 25,
    TTM_SETMARGIN = WM_USER + 26,
    TTM_GETMARGIN = WM_USER + 27,
};

// Tool flags, window styles and delay kinds of the tooltip class.
enum : std::uint32_t { TTF_IDISHWND = 0x01, TTF_SUBCLASS = 0x10 };
enum : std::uint32_t { TTS_ALWAYSTIP = 0x01, TTS_NOPREFIX = 0x02 };
enum : int { TTDT_AUTOMATIC = 0, TTDT_RESHOW = 1, TTDT_AUTOPOP = 2, TTDT_INITIAL = 3 };

// The tool record in its first ANSI form, 40 bytes, handles and the text pointer 32 bits
// wide as on the platform the record comes from. lpszText is the address of ANSI text
// lent with LentText (0: none); a tool found by TTM_ENUMTOOLSA gets its text written to
// the buffer lent there, at most 80 bytes, the terminating 0 included when it fits.
struct TOOLINFOA {
    std::uint32_t cbSize = 40;
    std::uint32_t uFlags = 0;
    std::int32_t hwnd = 0;
    std::uint32_t uId = 0;
    gdi::Rect rect;
    std::int32_t hinst = 0;
    std::uint32_t lpszText = 0;
};
static_assert(sizeof(TOOLINFOA) == 40 && offsetof(TOOLINFOA, lpszText) == 36);

// A buffer of this process as a 32-bit address, for as long as the object lives. The
// addresses start at 0x10000, above the numbers that name string resources.
class LentText {
public:
    explicit LentText(std::span<char> buffer);
    ~LentText();
    LentText(const LentText&) = delete;
    LentText& operator=(const LentText&) = delete;
    std::uint32_t Address() const { return address_; }

private:
    std::uint32_t address_;
};
// The buffer an address stands for; empty for an address not lent now.
std::span<char> TextAt(std::uint32_t address);

// What the windows of our classes need from the host that shows them.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    using Relay = std::function<void(unsigned message, gdi::Point client)>;

    // A hidden popup owned by the top-level window `owner`, with a surface of its own;
    // its handle, or 0 when `owner` is no top-level window of the host.
    virtual Hwnd CreatePopup(Hwnd owner) = 0;
    virtual void DestroyPopup(Hwnd popup) = 0;
    // Whether the popup still exists: it goes with its owner.
    virtual bool PopupAlive(Hwnd popup) = 0;
    // Places the popup (its surface takes the new size, content lost) and shows or hides
    // it. Null surface for a popup that is gone.
    virtual void PlacePopup(Hwnd popup, gdi::Rect screen) = 0;
    virtual void ShowPopup(Hwnd popup, bool show) = 0;
    virtual host::Surface* PopupSurface(Hwnd popup) = 0;

    // A timer that calls `tick` every `interval` (at least the host's minimum) until it is
    // killed; its id is never 0.
    virtual int SetTimer(std::chrono::milliseconds interval, std::function<void()> tick) = 0;
    virtual void KillTimer(int id) = 0;

    virtual gdi::Point GetCursorPos() = 0;
    // The topmost window under a screen point (a control or a form), 0 for none. Popups
    // take no part.
    virtual Hwnd WindowFromPoint(gdi::Point screen) = 0;
    virtual std::optional<gdi::Rect> GetWindowRect(Hwnd window) = 0;
    // The part of the screen popups must keep to.
    virtual gdi::Rect WorkArea() = 0;
    // The mouse messages `window` gets, in its client coordinates, handed to `relay`
    // before the window's own handling. One relay per window and key: setting again
    // replaces it, an empty relay removes it.
    virtual void SetMouseRelay(Hwnd window, const void* key, Relay relay) = 0;
};

// The host the windows made from now on belong to (null: none, and no window can be
// made). Returns the one installed before. Hosts installed earlier stay in reach: a
// window whose owner the installed host does not know goes to the latest of them that
// knows it. A host that goes away calls WindowHostGone: every window still on it is
// dropped without another call to it, and the latest host still there is installed
// again.
WindowHost* InstallWindowHost(WindowHost* host) noexcept;
void WindowHostGone(WindowHost* host) noexcept;

// A window procedure of one of our classes.
class WindowProcedure {
public:
    virtual ~WindowProcedure() = default;
    virtual LResult Message(unsigned message, WParam wParam, LParam lParam) = 0;
    // The window is being destroyed: its timers and relays end here.
    virtual void Destroying() = 0;
};

// Registers the common controls' classes ("tooltips_class32").
void InitCommonControls() noexcept;
// A window of a registered class, owned by `parent`; 0 when the class is not registered,
// no host is installed or the host has no such owner.
Hwnd CreateWindowExA(std::uint32_t ex_style, const std::string& class_name,
                     const std::string& window_name, std::uint32_t style, int x, int y, int width,
                     int height, Hwnd parent, long menu, long instance, void* param) noexcept;
// 0 for a window that does not exist (never made, destroyed, or gone with its owner).
LResult SendMessageA(Hwnd window, unsigned message, WParam wParam, LParam lParam) noexcept;
bool DestroyWindow(Hwnd window) noexcept;
bool IsWindow(Hwnd window) noexcept;

// Every message sent with SendMessageA, with its answer, for tests that check what a
// caller sends; empty: none.
using MessageTap = std::function<void(Hwnd, unsigned message, WParam, LParam, LResult answer)>;
void SetMessageTap(MessageTap tap);

}  // namespace sheenwork::user
