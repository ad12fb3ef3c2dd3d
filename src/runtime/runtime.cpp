// The runtime's input routing, focus, pending work and message boxes.
//
// Mouse: a press goes to the window under the pointer, which then holds the pointer
// (capture) until every button is up; moves go to the captured window or the one under
// the pointer; a left press and release on the same window, released over it, is
// followed by that window's click. The pointer leaving a window is not told: controls
// poll for it with their timers, as they must on the platform.
//
// Keyboard: keys go to the focused window of the active form, except
//   Tab / Shift+Tab      move the focus along the tab order;
//   Enter                is the access key of the button shown as default (the focused
//                        button-like control, else the form's default button);
//   Escape               is the access key of the form's cancel button;
//   Alt + a character    is the access key of the window whose caption marks it: the
//                        focus moves there and the window gets the key.
// A key taken this way does not reach the focused window, nor does its character.
#include <sheenwork/runtime/form.h>
#include <sheenwork/system/services.h>
#include <sheenwork/user/user.h>
#include <sheenwork/vb/stdfont.h>

#include <algorithm>
#include <cctype>
#include <iostream>

#include "runtime/window_site.h"

namespace sheenwork::runtime {

// Routes the library's message boxes (the error report's) and its key state queries to
// the runtime while it lives; everything else goes on to the services that were in place.
class Runtime::ServicesHook final : public system::ServicesOverlay {
public:
    explicit ServicesHook(Runtime& runtime) : runtime_(runtime) {}

    int MessageBox(const std::string& text, const std::string& title, int style) override {
        return runtime_.MessageBox({text, title, style});
    }
    // The one key state of the process: the runtime's.
    std::int16_t AsyncKeyState(int vk) override { return runtime_.Keys().Query(vk); }

private:
    Runtime& runtime_;
};

// The host of the platform's window classes: their popups belong to the forms, their
// timers run on the runtime's clock, the cursor and the windows under it are the
// runtime's, and the mouse messages of a control window reach a relay before the control.
class Runtime::WindowHostHook final : public user::WindowHost {
public:
    explicit WindowHostHook(Runtime& runtime) : runtime_(runtime) { user::InstallWindowHost(this); }
    ~WindowHostHook() override {
        user::WindowHostGone(this);
        for (const int id : timers_) runtime_.timers_.Destroy(id);
    }

    user::Hwnd CreatePopup(user::Hwnd owner) override {
        for (const auto& f : runtime_.forms_)
            if (f->Hwnd() == owner) return f->AddPopup().Hwnd();
        return 0;
    }
    void DestroyPopup(user::Hwnd popup) override {
        if (Popup* p = Find(popup)) p->Owner().RemovePopup(*p);
    }
    bool PopupAlive(user::Hwnd popup) override { return Find(popup) != nullptr; }
    void PlacePopup(user::Hwnd popup, gdi::Rect screen) override {
        if (Popup* p = Find(popup)) p->Move(screen);
    }
    void ShowPopup(user::Hwnd popup, bool show) override {
        if (Popup* p = Find(popup)) p->Visible(show);
    }
    host::Surface* PopupSurface(user::Hwnd popup) override {
        Popup* p = Find(popup);
        return p ? &p->Surface() : nullptr;
    }

    int SetTimer(std::chrono::milliseconds interval, std::function<void()> tick) override {
        const int id = runtime_.timers_.Create(std::move(tick));
        runtime_.timers_.Interval(id, interval);
        runtime_.timers_.Enable(id, true);
        timers_.push_back(id);
        return id;
    }
    void KillTimer(int id) override {
        runtime_.timers_.Destroy(id);
        std::erase(timers_, id);
    }

    gdi::Point GetCursorPos() override { return runtime_.CursorPos(); }
    user::Hwnd WindowFromPoint(gdi::Point screen) override {
        return runtime_.WindowFromPoint(screen);
    }
    std::optional<gdi::Rect> GetWindowRect(user::Hwnd window) override {
        return runtime_.ScreenRectOf(window);
    }
    gdi::Rect WorkArea() override { return runtime_.Screen(); }
    void SetMouseRelay(user::Hwnd window, const void* key, Relay relay) override {
        auto& relays = runtime_.relays_[window];
        std::erase_if(relays, [&](const auto& r) { return r.first == key; });
        if (relay) relays.emplace_back(key, std::move(relay));
        if (relays.empty()) runtime_.relays_.erase(window);
    }

private:
    Popup* Find(user::Hwnd popup) const {
        for (const auto& f : runtime_.forms_)
            if (Popup* p = f->FindPopup(popup)) return p;
        return nullptr;
    }
    Runtime& runtime_;
    std::vector<int> timers_;
};

Runtime::Runtime(Clock& clock, gdi::Gdi& gdi, ControlFactory factory)
    : clock_(clock),
      gdi_(gdi),
      factory_(std::move(factory)),
      timers_(clock),
      services_hook_(std::make_unique<ServicesHook>(*this)),
      window_host_hook_(std::make_unique<WindowHostHook>(*this)) {}

Runtime::~Runtime() {
    // Forms go first: their controls may still report through the services, and take
    // their tooltip windows down through the window host, which finds no form by then.
    auto forms = std::move(forms_);
    forms_.clear();
    forms.clear();
    window_host_hook_.reset();
    services_hook_.reset();
}

host::FontRef Runtime::FormFont() { return std::make_shared<vb::StdFont>("Tahoma", 8.25); }

host::FontRef Runtime::LabelFont() {
    auto font = std::make_shared<vb::StdFont>("Verdana", 9.75);
    font->Weight(400);
    font->Charset(0);
    return font;
}

host::FontRef Runtime::DropDownLabelFont() {
    auto font = std::make_shared<vb::StdFont>("Marlett", 9.75);
    font->Weight(700);
    font->Charset(2);  // SYMBOL_CHARSET
    return font;
}

// ---- forms ----

Form& Runtime::CreateForm(const std::string& name, Position at, Size size) {
    CheckPlacement("form " + name, at, size);
    return NewForm(name, RectOf(at, size));
}

Form& Runtime::NewForm(const std::string& name, gdi::Rect screen_rect) {
    // A new form is shown on top of the others and takes the keyboard.
    auto form = std::make_shared<Form>(*this, NewHwnd(), name, PositionOf(screen_rect),
                                       SizeOf(screen_rect));
    forms_.push_back(form);
    active_ = form;
    return *form;
}

void Runtime::DestroyForm(Form& form) {
    const auto it =
        std::find_if(forms_.begin(), forms_.end(), [&](const auto& f) { return f.get() == &form; });
    if (it == forms_.end()) return;
    const auto keep = *it;  // alive until this returns, as a window is
    forms_.erase(it);
    keep->alive_ = false;
    for (Window* w : keep->Windows()) keep->Remove(*w);
    // Its popups go with it, as owned windows do.
    for (Popup* p : keep->Popups()) keep->RemovePopup(*p);
    if (ActiveForm() == keep.get())
        active_ = forms_.empty() ? std::weak_ptr<Form>() : forms_.back();
}

Form* Runtime::FindForm(const std::string& name) {
    for (const auto& f : forms_)
        if (f->Name() == name) return f.get();
    return nullptr;
}

std::vector<Form*> Runtime::Forms() const {
    std::vector<Form*> out;
    for (const auto& f : forms_) out.push_back(f.get());
    return out;
}

void Runtime::Activate(Form& form) {
    const auto it =
        std::find_if(forms_.begin(), forms_.end(), [&](const auto& f) { return f.get() == &form; });
    if (it == forms_.end()) return;
    auto keep = *it;
    // The active form is on top of the others.
    forms_.erase(it);
    forms_.push_back(keep);
    active_ = keep;
}

std::optional<gdi::Rect> Runtime::ScreenRectOf(long hwnd) const {
    for (const auto& f : forms_) {
        if (f->Hwnd() == hwnd) return f->ScreenRect();
        if (Window* w = f->FindByHwnd(hwnd)) return w->ScreenRect();
        if (Popup* p = f->FindPopup(hwnd)) return p->ScreenRect();
    }
    return std::nullopt;
}

// ---- hit testing ----

Window* Runtime::WindowAt(gdi::Point screen) const {
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) {
        const gdi::Rect r = (*it)->ScreenRect();
        if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom)
            continue;
        return (*it)->WindowAt({screen.x - r.left, screen.y - r.top});
    }
    return nullptr;
}

long Runtime::WindowFromPoint(gdi::Point screen) const {
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) {
        const gdi::Rect r = (*it)->ScreenRect();
        if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom)
            continue;
        Window* w = (*it)->WindowAt({screen.x - r.left, screen.y - r.top});
        return w ? w->Hwnd() : (*it)->Hwnd();
    }
    return 0;  // the desktop
}

CursorShape Runtime::CurrentCursor() const {
    Window* w = Captured();
    if (!w) w = WindowAt(cursor_);
    return w ? w->Pointer() : CursorShape{};
}

// ---- mouse ----

namespace {
enum MouseKind { kDown, kMove, kUp };
int ButtonKey(int button) {
    return button == 1 ? VK_LBUTTON : button == 2 ? VK_RBUTTON : button == 4 ? VK_MBUTTON : 0;
}
unsigned MouseMessage(int kind, int button) {
    if (kind == kMove) return user::WM_MOUSEMOVE;
    const bool down = kind == kDown;
    switch (button) {
        case 1: return down ? user::WM_LBUTTONDOWN : user::WM_LBUTTONUP;
        case 2: return down ? user::WM_RBUTTONDOWN : user::WM_RBUTTONUP;
        case 4: return down ? user::WM_MBUTTONDOWN : user::WM_MBUTTONUP;
        default: return 0;
    }
}
}  // namespace

void Runtime::DeliverMouse(Window& w, int kind, int button) {
    if (!w.alive_ || !w.control_) return;
    const Held keep = Hold(w);
    const gdi::Rect r = w.ScreenRect();
    const auto x = static_cast<float>(cursor_.x - r.left),
               y = static_cast<float>(cursor_.y - r.top);
    const int shift = keys_.ShiftMask();
    // A subclass hears the message first (a tooltip that relays the tool's mouse).
    if (const auto it = relays_.find(w.Hwnd()); it != relays_.end()) {
        const unsigned message = MouseMessage(kind, button);
        const gdi::Point client{cursor_.x - r.left, cursor_.y - r.top};
        const auto relays = it->second;  // a relay may change the subclasses
        for (const auto& relay : relays) relay.second(message, client);
        if (!w.alive_ || !w.control_) return;
    }
    ControlNotifications& c = *keep->control_;
    if (kind == kDown)
        c.MouseDown(button, shift, x, y);
    else if (kind == kMove)
        c.MouseMove(button, shift, x, y);
    else
        c.MouseUp(button, shift, x, y);
}

void Runtime::MouseMove(gdi::Point screen) {
    cursor_ = screen;
    Window* target = Captured();
    if (!target) target = WindowAt(screen);
    if (target) DeliverMouse(*target, kMove, buttons_);
}

void Runtime::MouseDown(int button) {
    if (const int vk = ButtonKey(button)) keys_.Down(vk);
    const bool first = buttons_ == 0;
    buttons_ |= button;
    Window* target = Captured();
    if (!target) target = WindowAt(cursor_);
    if (!target) return;
    const Held keep = Hold(*target);
    if (&target->Owner() != ActiveForm()) Activate(target->Owner());
    if (first) capture_ = keep.window;
    if (button == 1) pressed_ = keep.window;
    DeliverMouse(*target, kDown, button);
}

void Runtime::MouseUp(int button) {
    const bool ends_capture = Captured() != nullptr && (buttons_ & ~button) == 0;
    ReleaseButton(button);
    if (ends_capture) MouseMove(cursor_);
}

void Runtime::ReleaseButton(int button) {
    if (const int vk = ButtonKey(button)) keys_.Up(vk);
    buttons_ &= ~button;
    Window* target = Captured();
    if (!target) target = WindowAt(cursor_);
    if (buttons_ == 0) capture_.reset();
    if (!target) return;
    const Held keep = Hold(*target);
    DeliverMouse(*target, kUp, button);
    if (button != 1) return;
    const auto pressed = pressed_.lock();
    pressed_.reset();
    // The handler of MouseUp may have removed the window or its form.
    if (pressed != keep.window || !target->alive_ || !keep.form->Alive() || !target->control_)
        return;
    const gdi::Rect r = target->ScreenRect();
    const bool over =
        cursor_.x >= r.left && cursor_.x < r.right && cursor_.y >= r.top && cursor_.y < r.bottom;
    if (over && target->enabled_) target->control_->Click();
}

// ---- focus ----

void Runtime::SetFocus(Window* window) {
    if (!window || !window->alive_) return;
    if (!window->enabled_ || !window->visible_) return;  // as SetFocus fails on the platform
    Form& form = window->Owner();
    if (&form != ActiveForm()) Activate(form);
    MoveFocus(form, window);
}

void Runtime::MoveFocus(Form& form, Window* to) {
    const auto before = form.focused_.lock();
    if (before.get() == to) return;
    const auto keep_form = form.shared_from_this();
    form.focused_ = to ? to->weak_from_this() : std::weak_ptr<Window>();
    if (before && before->alive_ && before->control_) before->control_->LostFocus();
    if (to && to->alive_ && to->control_) {
        const Held keep = Hold(*to);
        keep->control_->GotFocus();
    }
    form.UpdateDisplayAsDefault();
}

// ---- keyboard ----

namespace {
// The form's button that takes Enter: the focused button-like control, else the default.
Window* EnterTarget(Form& form) {
    Window* f = form.Focused();
    if (f && f->ActsLikeButton()) return f;
    return form.DefaultButton();
}

bool Usable(Window* w) { return w && w->Alive() && w->Visible() && w->Enabled() && w->Control(); }

Window* AccessKeyOwner(Form& form, char c) {
    const int wanted = std::tolower(static_cast<unsigned char>(c));
    for (Window* w : form.Windows())
        for (char k : w->AccessKeys())
            if (std::tolower(static_cast<unsigned char>(k)) == wanted && Usable(w)) return w;
    return nullptr;
}
}  // namespace

bool Runtime::RouteSpecialKey(int vk) {
    Form* form = ActiveForm();
    if (!form) return false;
    const bool alt = keys_.IsDown(VK_MENU), ctrl = keys_.IsDown(VK_CONTROL);
    if (vk == VK_TAB && !alt && !ctrl) {
        const auto order = form->TabOrder();
        if (order.empty()) return true;
        const auto at = std::find(order.begin(), order.end(), form->Focused());
        const bool back = keys_.IsDown(VK_SHIFT);
        std::size_t i = 0;
        if (at == order.end())
            i = back ? order.size() - 1 : 0;
        else
            i = (static_cast<std::size_t>(at - order.begin()) + (back ? order.size() - 1 : 1)) %
                order.size();
        SetFocus(order[i]);
        return true;
    }
    if ((vk == VK_RETURN || vk == VK_ESCAPE) && !alt) {
        Window* target = vk == VK_RETURN ? EnterTarget(*form) : form->CancelButton();
        if (!Usable(target)) return false;
        const Held keep = Hold(*target);
        keep->control_->AccessKeyPress(vk == VK_RETURN ? 13 : 27);
        return true;
    }
    if (alt && !ctrl && ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))) {
        const char c = static_cast<char>(keys_.IsDown(VK_SHIFT) ? vk : std::tolower(vk));
        Window* target = AccessKeyOwner(*form, c);
        if (!target) return false;
        const Held keep = Hold(*target);
        if (keep->tab_stop_) SetFocus(keep.window.get());
        if (keep->alive_ && keep->control_) keep->control_->AccessKeyPress(c);
        return true;
    }
    return false;
}

void Runtime::KeyDown(int vk) {
    keys_.Down(vk);
    if (RouteSpecialKey(vk)) {
        // Its character and its release belong to the routing too.
        swallowed_.insert(vk);
        swallow_char_ = true;
        return;
    }
    swallow_char_ = keys_.IsDown(VK_MENU);  // Alt + key types no character
    Form* form = ActiveForm();
    Window* focused = form ? form->Focused() : nullptr;
    if (!Usable(focused)) return;
    const Held keep = Hold(*focused);
    int code = ReportedKey(vk);
    keep->control_->KeyDown(code, keys_.ShiftMask());
}

void Runtime::Char(char c) {
    if (swallow_char_) {
        swallow_char_ = false;
        return;
    }
    Form* form = ActiveForm();
    Window* focused = form ? form->Focused() : nullptr;
    if (!Usable(focused)) return;
    const Held keep = Hold(*focused);
    int ascii = static_cast<unsigned char>(c);
    keep->control_->KeyPress(ascii);
}

void Runtime::KeyUp(int vk) {
    keys_.Up(vk);
    if (swallowed_.erase(vk) > 0) return;
    Form* form = ActiveForm();
    Window* focused = form ? form->Focused() : nullptr;
    if (!Usable(focused)) return;
    const Held keep = Hold(*focused);
    int code = ReportedKey(vk);
    keep->control_->KeyUp(code, keys_.ShiftMask());
}

// ---- pending work ----

void Runtime::Post(std::function<void()> work) { posted_.push_back(std::move(work)); }

bool Runtime::Pending() const {
    if (!posted_.empty()) return true;
    const auto due = timers_.NextDue();
    return due && *due <= clock_.Now();
}

void Runtime::DoEvents() {
    // What was posted before this call; work it posts waits for the next one.
    for (std::size_t n = posted_.size(); n > 0 && !posted_.empty(); --n) {
        auto work = std::move(posted_.front());
        posted_.pop_front();
        if (work) work();
    }
    // Each due timer once: its tick makes it due again one interval later.
    while (timers_.RunOneDue()) {
    }
}

void Runtime::Advance(Millis by) {
    auto* virtual_clock = dynamic_cast<VirtualClock*>(&clock_);
    const Millis end = clock_.Now() + by;
    if (!virtual_clock) {
        DoEvents();
        return;
    }
    for (;;) {
        DoEvents();
        const auto due = timers_.NextDue();
        if (!due || *due > end) break;
        virtual_clock->AdvanceTo(*due);
    }
    virtual_clock->AdvanceTo(end);
    DoEvents();
}

// ---- message boxes and About ----

int Runtime::MessageBox(const MessageBoxRequest& request) {
    boxes_.push_back(request);
    if (message_box_) return message_box_(request);
    // Headless: the box goes to standard error and is answered with OK.
    std::cerr << request.title << ": " << request.text << "\n";
    return 1;
}

void Runtime::ShowAbout(const host::AboutInfo& info) {
    if (about_) about_(info);
}

}  // namespace sheenwork::runtime
