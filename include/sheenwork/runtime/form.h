// The form runtime: the control host every Sheenwork button runs in — tests, the command
// line tool and the window host alike. It keeps forms of control windows with screen
// rectangles, z-order, focus and tab order, a default and a cancel button, the key state
// and the cursor, timers on a clock, pending work for DoEvents, and message boxes; it
// turns raw input (a pointer at a screen point, a button, a key, a character) into the
// notifications a container sends its controls, as the platform and the container do.
//
// Input arrives through Runtime's input methods, from a script in tests and the tool, from
// real devices in the window host; both go through the same entry points.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/host/form_object.h>
#include <sheenwork/host/objects.h>
#include <sheenwork/host/property_bag.h>
#include <sheenwork/host/site.h>
#include <sheenwork/host/surface.h>
#include <sheenwork/runtime/clock.h>
#include <sheenwork/runtime/description.h>
#include <sheenwork/runtime/keys.h>
#include <sheenwork/runtime/placement.h>
#include <sheenwork/runtime/timers.h>
#include <sheenwork/vb/variant.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace sheenwork::runtime {

class Form;
struct FormFile;
class Popup;
class Runtime;
class Window;

// What a container tells a control it hosts. A control library hands one per control it
// creates; every call traps its own errors (nothing is thrown back).
class ControlNotifications {
public:
    virtual ~ControlNotifications() = default;
    // A new instance (placed new on a form) initialises its properties.
    virtual void InitProperties() = 0;
    virtual void AmbientChanged(const std::string& name) = 0;
    virtual void Paint() = 0;
    virtual void Resize() = 0;
    // Button is the button that changed (down, up) or the buttons held (move): 1 left, 2
    // right, 4 middle; Shift the modifier mask; X and Y in pixels of the control.
    virtual void MouseDown(int button, int shift, float x, float y) = 0;
    virtual void MouseMove(int button, int shift, float x, float y) = 0;
    virtual void MouseUp(int button, int shift, float x, float y) = 0;
    // The click after a press and release on the control.
    virtual void Click() = 0;
    // Key events; the control may change the key (0 swallows it).
    virtual void KeyDown(int& key_code, int shift) = 0;
    virtual void KeyPress(int& key_ascii) = 0;
    virtual void KeyUp(int& key_code, int shift) = 0;
    virtual void GotFocus() = 0;
    virtual void LostFocus() = 0;
    // Its access key with Alt, or Enter / Escape as the form's default / cancel button.
    virtual void AccessKeyPress(int key_ascii) = 0;
    // A timer of the control's surface ticked.
    virtual void Timer(const std::string& name) = 0;
    // The property bag a loader hands a saved control, and the one it is saved to.
    virtual void ReadProperties(host::PropertyBag& bag) = 0;
    virtual void WriteProperties(host::PropertyBag& bag) = 0;
    // The control's object as the host's code sees it (late-bound calls, the native
    // instance); null for none.
    virtual std::shared_ptr<runtime::Object> Instance() = 0;
};

// Creates a control of a class for a window's site; null when the class is unknown.
struct CreatedControl {
    std::shared_ptr<ControlNotifications> control;
    std::uint32_t misc_status = 0;
};
using ControlFactory =
    std::function<CreatedControl(const std::string& class_name, host::ControlSite& site)>;

// The host's mouse pointers (the MousePointer values): 0 the default of the window, 1 to
// 15 the stock pointers, 99 the custom MouseIcon.
enum class Cursor : int {
    Default = 0,
    Arrow = 1,
    Cross = 2,
    IBeam = 3,
    Icon = 4,
    Size = 5,
    SizeNESW = 6,
    SizeNS = 7,
    SizeNWSE = 8,
    SizeWE = 9,
    UpArrow = 10,
    Hourglass = 11,
    NoDrop = 12,
    ArrowHourglass = 13,
    ArrowQuestion = 14,
    SizeAll = 15,
    Custom = 99,
};

// The pointer to show: a stock pointer, or a picture with its hot spot.
struct CursorShape {
    Cursor cursor = Cursor::Arrow;
    host::PictureRef picture;  // Custom only
};

// A message box as a host shows it.
struct MessageBoxRequest {
    std::string text, title;
    int style = 0;
};

// A control window of a form.
class Window : public std::enable_shared_from_this<Window> {
public:
    Window(Form& form, long hwnd, std::string name, std::string class_name, Position at, Size size);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    long Hwnd() const { return hwnd_; }
    const std::string& Name() const { return name_; }
    const std::string& ClassName() const { return class_name_; }
    Form& Owner() const { return *form_; }
    bool Alive() const { return alive_; }

    // The rectangle in the form's client area, and on the screen.
    gdi::Rect Rect() const { return rect_; }
    gdi::Rect ScreenRect() const;
    // Moves or sizes the window (`at` in the form's client area); a new size resizes the
    // surface and tells the control. Throws std::invalid_argument as CheckPlacement does.
    void Move(Position at, Size size);

    int TabIndex() const { return tab_index_; }
    void TabIndex(int index) { tab_index_ = index; }
    bool TabStop() const { return tab_stop_; }
    void TabStop(bool on) { tab_stop_ = on; }
    bool Visible() const { return visible_; }
    void Visible(bool on) { visible_ = on; }
    // Whether the window takes input: what the control mirrors to its surface.
    bool Enabled() const { return enabled_; }
    bool ActsLikeButton() const { return (misc_status_ & OLEMISC_ACTSLIKEBUTTON) != 0; }
    // The access keys the control gave its surface (characters, compared without case).
    const std::string& AccessKeys() const { return access_keys_; }
    CursorShape Pointer() const;

    host::ControlSite& Site();
    host::Surface& Surface();
    ControlNotifications* Control() { return control_.get(); }
    // The control's object, and its native instance when it is a T (a sheenButton). The
    // instance holds this window and its form: the control keeps its site for as long
    // as the host holds it, also after the window left its form. The runtime itself
    // must outlive them.
    std::shared_ptr<runtime::Object> Instance();
    template <class T>
    std::shared_ptr<T> Native();
    // The names of the properties the control said changed, in order (the form is dirty).
    const std::vector<std::string>& Changes() const { return changes_; }

private:
    friend class Form;
    friend class Runtime;
    friend class WindowSite;
    Form* form_;
    long hwnd_;
    std::string name_, class_name_;
    gdi::Rect rect_;
    int tab_index_ = 0;
    bool tab_stop_ = true;
    bool visible_ = true;
    bool enabled_ = true;
    bool alive_ = true;
    std::uint32_t misc_status_ = 0;
    std::string access_keys_;
    int mouse_pointer_ = 0;
    host::PictureRef mouse_icon_;
    std::vector<std::string> changes_;
    std::unique_ptr<host::ControlSite> site_;
    std::shared_ptr<ControlNotifications> control_;
};

// A popup window a form owns: a borderless top-level window above every form (a
// tooltip), with its own surface, screen rectangle and visibility. It takes no input:
// the runtime routes nothing to it and its hit testing looks through it. It goes with its
// form; a window host shows each visible popup as a window of its own.
class Popup {
public:
    Popup(Form& form, long hwnd, gdi::Gdi& gdi);
    Popup(const Popup&) = delete;
    Popup& operator=(const Popup&) = delete;

    long Hwnd() const { return hwnd_; }
    Form& Owner() const { return *form_; }
    gdi::Rect ScreenRect() const { return rect_; }
    // A new size resizes the surface, which loses its content.
    void Move(gdi::Rect screen_rect);
    bool Visible() const { return visible_; }
    void Visible(bool on) { visible_ = on; }
    host::Surface& Surface() { return surface_; }

private:
    friend class Form;
    Form* form_;
    long hwnd_;
    gdi::Rect rect_;
    bool visible_ = false;
    host::Surface surface_;
};

// A form: a top-level window holding control windows in z-order (the first is at the
// bottom), with its own font and back colour that its controls take as their container's.
class Form : public vb::Dispatch,
             public host::FormObject,
             public std::enable_shared_from_this<Form> {
public:
    Form(Runtime& runtime, long hwnd, std::string name, Position at, Size size);
    ~Form() override;

    Runtime& Owner() const { return *runtime_; }
    long Hwnd() const { return hwnd_; }
    const std::string& Name() const { return name_; }
    std::string Caption() const { return caption_; }
    void Caption(std::string caption) { caption_ = std::move(caption); }
    // The client area on the screen.
    gdi::Rect ScreenRect() const { return rect_; }
    // Moves or sizes the client area (`at` on the screen). Throws std::invalid_argument as
    // CheckPlacement does.
    void Move(Position at, Size size);
    int Width() const { return rect_.Width(); }
    int Height() const { return rect_.Height(); }
    std::uint32_t BackColor() const { return back_color_; }
    void BackColor(std::uint32_t color);
    host::FontRef Font() const { return font_; }
    void Font(host::FontRef font);
    bool Alive() const { return alive_; }

    // Creates a control window of `class_name` through the runtime's factory with its
    // top-left corner at `at` in the form's client area and `size` pixels large, on top of
    // the others, and lets the new control initialise itself:
    //   form.Add("Sheenwork.sheenButton", "cmdSave", {10, 10}, {100, 36});
    // The name must be unique in the form. Throws std::invalid_argument for a duplicate
    // name or a placement CheckPlacement refuses (an empty or inverted size), and
    // std::runtime_error for a class the factory does not know.
    Window& Add(const std::string& class_name, const std::string& name, Position at, Size size);
    // Adds without initialising the control (a loader hands it its saved properties).
    Window& AddUninitialised(const std::string& class_name, const std::string& name, Position at,
                             Size size);
    // Destroys a control window. Safe from inside the control's own event handlers: the
    // window leaves the form at once and is freed when the notification it is handling
    // returns.
    void Remove(Window& window);
    Window* Find(const std::string& name);
    Window* FindByHwnd(long hwnd);
    // The windows bottom to top.
    std::vector<Window*> Windows() const;
    void BringToFront(Window& window);
    // The topmost visible window containing the client point, or null (the form itself).
    Window* WindowAt(gdi::Point client) const;

    Window* Focused() const { return focused_.lock().get(); }
    // The windows that take the focus with Tab, in tab order.
    std::vector<Window*> TabOrder() const;
    Window* DefaultButton() const { return default_.lock().get(); }
    Window* CancelButton() const { return cancel_.lock().get(); }
    // Only a control that acts like a button can be either; throws std::invalid_argument
    // for another. Null clears.
    void DefaultButton(Window* window);
    void CancelButton(Window* window);

    // The whole client area as the screen shows it: the back colour and every visible
    // control's surface in z-order. 0x00BBGGRR, rows from the top. Popups are windows of
    // their own and not part of it.
    std::vector<gdi::ColorRef> Compose() const;

    // Popups: a new one is hidden, 0 x 0, at the top-left corner of the screen.
    Popup& AddPopup();
    void RemovePopup(Popup& popup);
    Popup* FindPopup(long hwnd) const;
    std::vector<Popup*> Popups() const;

    // Late binding of the form as a container ("Parent"): Font, BackColor, hWnd, Name,
    // Caption, ScaleMode.
    vb::Variant Invoke(const std::string& name, vb::InvokeKind kind,
                       std::vector<vb::Variant>& args) override;

private:
    friend class Runtime;
    friend class Window;
    friend class WindowSite;
    // A form file may hold controls of no width or height: its loader places them as they
    // were saved.
    friend Form& LoadForm(Runtime& runtime, const FormFile& form);
    Window& Create(const std::string& class_name, const std::string& name, gdi::Rect rect,
                   bool initialise);
    // Tells the controls that acts like a button which of them shows as the default now.
    void UpdateDisplayAsDefault();

    Runtime* runtime_;
    long hwnd_;
    std::string name_, caption_;
    gdi::Rect rect_;
    std::uint32_t back_color_ = 0x8000000F;
    host::FontRef font_;
    bool alive_ = true;
    std::vector<std::shared_ptr<Window>> windows_;
    std::vector<std::unique_ptr<Popup>> popups_;
    // Lookups that stay cheap on a form of many controls: names in lower case.
    std::unordered_map<std::string, Window*> by_name_;
    std::unordered_map<long, Window*> by_hwnd_;
    std::unordered_map<long, Popup*> popups_by_hwnd_;
    std::weak_ptr<Window> focused_, default_, cancel_;
    std::weak_ptr<Window> display_as_default_;
};

// A window and its form held for the length of a notification: the control's handler may
// remove the window or destroy the form, and both are freed only when it returns.
struct Held {
    std::shared_ptr<Form> form;
    std::shared_ptr<Window> window;
    Window* operator->() const { return window.get(); }
    explicit operator bool() const { return window != nullptr; }
};
Held Hold(Window& window);

template <class T>
std::shared_ptr<T> Window::Native() {
    const auto object = Instance();  // holds this window and its form
    const auto native = object ? object->Native<T>() : nullptr;
    if (!native) return nullptr;
    return std::shared_ptr<T>(object, native.get());
}

class Runtime {
public:
    // `clock` and `gdi` (the raster the surfaces draw through) must outlive the runtime.
    Runtime(Clock& clock, gdi::Gdi& gdi, ControlFactory factory);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    const Clock& GetClock() const { return clock_; }
    gdi::Gdi& Gdi() { return gdi_; }
    Timers& GetTimers() { return timers_; }
    KeyState& Keys() { return keys_; }

    // Forms. The newest form is on top and active (it takes the keyboard) until another
    // one is activated. `at` is the client area's top-left corner on the screen, `size`
    // its width and height:
    //   runtime.CreateForm("Form1", {100, 100}, {200, 60});
    // Throws std::invalid_argument as CheckPlacement does.
    Form& CreateForm(const std::string& name, Position at, Size size);
    void DestroyForm(Form& form);
    Form* FindForm(const std::string& name);
    Form* ActiveForm() const { return active_.lock().get(); }
    void Activate(Form& form);
    // The forms bottom to top.
    std::vector<Form*> Forms() const;

    // The screen the forms and popups lie on (1024 x 768 unless set); popups keep to it.
    gdi::Rect Screen() const { return screen_; }
    void Screen(gdi::Rect screen) { screen_ = screen; }

    // --- Input, as the platform delivers it (screen coordinates) ---
    // The pointer moved to `screen`.
    void MouseMove(gdi::Point screen);
    // A button (1 left, 2 right, 4 middle) went down or up where the pointer is. The last
    // button up ends the window's hold on the pointer, and the window under the pointer
    // then hears a move to where the pointer is, as ReleaseCapture makes the platform do
    // (after the MouseUp and the click).
    void MouseDown(int button);
    void MouseUp(int button);
    // A key went down or up; characters come separately, as typed text.
    void KeyDown(int vk);
    void KeyUp(int vk);
    void Char(char c);
    // Focus to a window (and its form), as a click on another application's window
    // would not: only what the user or the program asks.
    void SetFocus(Window* window);

    gdi::Point CursorPos() const { return cursor_; }
    // The topmost window at a screen point, over every form; 0 when none.
    long WindowFromPoint(gdi::Point screen) const;
    Window* WindowAt(gdi::Point screen) const;
    // The pointer shape for where the cursor is now.
    CursorShape CurrentCursor() const;

    // --- Pending work ---
    // Work to run at the next DoEvents (posted messages).
    void Post(std::function<void()> work);
    // Runs what is pending: posted work, then the timers due at the clock's time.
    void DoEvents();
    // Whether anything is pending now, and when the next timer is due.
    bool Pending() const;
    std::optional<Millis> NextTimerDue() const { return timers_.NextDue(); }
    // With a VirtualClock: moves time forward by `by`, running every timer when it is
    // due, in order, with the clock standing at its due time.
    void Advance(Millis by);

    // --- Message boxes and the About window ---
    // The host's modal message box; while none is installed a box is recorded and
    // answered with OK (1). The error report of the library shows its boxes here.
    using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
    void OnMessageBox(MessageBoxHandler handler) { message_box_ = std::move(handler); }
    int MessageBox(const MessageBoxRequest& request);
    const std::vector<MessageBoxRequest>& MessageBoxes() const { return boxes_; }
    using AboutHandler = std::function<void(const host::AboutInfo&)>;
    void OnAbout(AboutHandler handler) { about_ = std::move(handler); }
    void ShowAbout(const host::AboutInfo& info);

    // A new form's font, which its controls take as their container's: the XP dialog
    // font, Tahoma 8.25.
    static host::FontRef FormFont();
    // The control fonts' defaults (lblFont, lblDropDown) a new control surface holds.
    static host::FontRef LabelFont();
    static host::FontRef DropDownLabelFont();

private:
    friend class Form;
    friend class Window;
    friend class WindowSite;
    friend Form& LoadForm(Runtime& runtime, const FormFile& form);
    Form& NewForm(const std::string& name, gdi::Rect screen_rect);
    long NewHwnd() { return next_hwnd_++; }
    std::optional<gdi::Rect> ScreenRectOf(long hwnd) const;
    Window* Captured() const { return capture_.lock().get(); }
    void DeliverMouse(Window& w, int kind, int button);
    void ReleaseButton(int button);
    bool RouteSpecialKey(int vk);
    void MoveFocus(Form& form, Window* to);

    Clock& clock_;
    gdi::Gdi& gdi_;
    ControlFactory factory_;
    Timers timers_;
    KeyState keys_;
    std::vector<std::shared_ptr<Form>> forms_;
    std::weak_ptr<Form> active_;
    gdi::Point cursor_{-1, -1};
    std::weak_ptr<Window> capture_;  // the window a held button belongs to
    std::weak_ptr<Window> pressed_;  // where the left button went down, for the click
    int buttons_ = 0;                // the buttons held
    std::set<int> swallowed_;        // keys the runtime took: their release is its own too
    bool swallow_char_ = false;      // the character of the last key down is not typed
    std::deque<std::function<void()>> posted_;
    MessageBoxHandler message_box_;
    AboutHandler about_;
    std::vector<MessageBoxRequest> boxes_;
    long next_hwnd_ = 0x100;
    class ServicesHook;
    std::unique_ptr<ServicesHook> services_hook_;
    gdi::Rect screen_{0, 0, 1024, 768};
    // Subclasses: what a window's mouse messages go to first, by window and key.
    using Relay = std::function<void(unsigned message, gdi::Point client)>;
    std::map<long, std::vector<std::pair<const void*, Relay>>> relays_;
    // The platform's window classes make their popups here while the runtime lives.
    class WindowHostHook;
    std::unique_ptr<WindowHostHook> window_host_hook_;
};

}  // namespace sheenwork::runtime
