#include "runtime/window_site.h"

#include <sheenwork/vb/error.h>

namespace sheenwork::runtime {

WindowSite::WindowSite(Runtime& runtime, Window& window)
    : SiteCore(runtime.Gdi(), window.Rect().Width(), window.Rect().Height()),
      runtime_(runtime),
      window_(&window) {
    // tmrMouseIn: interval 1 ms, off. Its ticks go to the control while the window lives;
    // the window is held for the length of the tick, whatever the handler does.
    timer_ = runtime_.GetTimers().Create([this] {
        if (!window_ || !window_->Alive() || !window_->Control()) return;
        const Held keep = Hold(*window_);
        keep->Control()->Timer("tmrMouseIn");
    });
    runtime_.GetTimers().Interval(timer_, Millis(1));
}

WindowSite::~WindowSite() { Detach(); }

void WindowSite::Detach() {
    if (timer_ != 0) runtime_.GetTimers().Destroy(timer_);
    timer_ = 0;
}

bool WindowSite::TimerEnabled() const { return runtime_.GetTimers().Enabled(timer_); }

void WindowSite::PropertyChanged(const std::string& name) { window_->changes_.push_back(name); }

vb::Boolean WindowSite::AmbientUserMode() { return vb::True; }

vb::Boolean WindowSite::AmbientDisplayAsDefault() {
    return vb::Boolean(window_->Owner().display_as_default_.lock().get() == window_);
}

std::string WindowSite::ExtenderName() { return window_->Name(); }

vb::Boolean WindowSite::ExtenderDefault() {
    return vb::Boolean(window_->Owner().DefaultButton() == window_);
}

vb::Object WindowSite::Parent() { return vb::Object(window_->Owner().shared_from_this()); }

host::FontRef WindowSite::ParentFont() { return window_->Owner().Font(); }

std::uint32_t WindowSite::ParentBackColor() { return window_->Owner().BackColor(); }

long WindowSite::ParentHwnd() { return window_->Owner().Hwnd(); }

vb::Boolean WindowSite::ParentIsForm() { return vb::True; }

long WindowSite::SurfaceHwnd() { return window_->Hwnd(); }

void WindowSite::SurfaceEnabled(vb::Boolean value) { window_->enabled_ = static_cast<bool>(value); }

void WindowSite::SurfaceMouseIcon(host::PictureRef picture) {
    window_->mouse_icon_ = std::move(picture);
}

void WindowSite::SurfaceMousePointer(vb::Integer pointer) { window_->mouse_pointer_ = pointer; }
host::PictureRef WindowSite::SurfaceMouseIcon() { return window_->mouse_icon_; }
vb::Integer WindowSite::SurfaceMousePointer() {
    return static_cast<vb::Integer>(window_->mouse_pointer_);
}

void WindowSite::SurfaceAccessKeys(const std::string& keys) { window_->access_keys_ = keys; }

void WindowSite::tmrMouseInEnabled(vb::Boolean on) {
    runtime_.GetTimers().Enable(timer_, static_cast<bool>(on) && window_->Alive());
}

void WindowSite::tmrMouseInInterval(long milliseconds) {
    runtime_.GetTimers().Interval(timer_, Millis(milliseconds));
}

void WindowSite::SetFocus() {
    if (!window_->Alive()) vb::Raise(5);
    runtime_.SetFocus(window_);
}

void WindowSite::DoEvents() { runtime_.DoEvents(); }

gdi::Rect WindowSite::GetWindowRect(long hwnd) {
    const auto rect = runtime_.ScreenRectOf(hwnd);
    if (!rect) vb::Raise(5);  // no such window: the call fails
    return *rect;
}

gdi::Point WindowSite::GetCursorPos() { return runtime_.CursorPos(); }

long WindowSite::WindowFromPoint(gdi::Point screen) { return runtime_.WindowFromPoint(screen); }

std::int16_t WindowSite::GetAsyncKeyState(int virtual_key) {
    return runtime_.Keys().Query(virtual_key);
}

void WindowSite::ShowAbout(const host::AboutInfo& info) { runtime_.ShowAbout(info); }

}  // namespace sheenwork::runtime
