// The control site of a runtime window: what the container offers the control on it.
#pragma once

#include <sheenwork/runtime/form.h>

#include "runtime/site_core.h"

namespace sheenwork::runtime {

class WindowSite final : public SiteCore {
public:
    WindowSite(Runtime& runtime, Window& window);
    ~WindowSite() override;
    // The window left its form: its timers stop and it takes no more focus.
    void Detach();

    void PropertyChanged(const std::string& name) override;
    vb::Boolean AmbientUserMode() override;
    vb::Boolean AmbientDisplayAsDefault() override;
    std::string ExtenderName() override;
    vb::Boolean ExtenderDefault() override;
    vb::Object Parent() override;
    host::FontRef ParentFont() override;
    std::uint32_t ParentBackColor() override;
    long ParentHwnd() override;
    vb::Boolean ParentIsForm() override;
    long SurfaceHwnd() override;
    vb::Boolean SurfaceEnabled() override { return vb::Boolean(window_->Enabled()); }
    void SurfaceEnabled(vb::Boolean value) override;
    host::PictureRef SurfaceMouseIcon() override;
    vb::Integer SurfaceMousePointer() override;
    void SurfaceMouseIcon(host::PictureRef picture) override;
    void SurfaceMousePointer(vb::Integer pointer) override;
    void SurfaceAccessKeys(const std::string& keys) override;
    vb::Boolean tmrMouseInEnabled() override { return vb::Boolean(TimerEnabled()); }
    void tmrMouseInEnabled(vb::Boolean on) override;
    void tmrMouseInInterval(long milliseconds) override;
    void SetFocus() override;
    void DoEvents() override;
    gdi::Rect GetWindowRect(long hwnd) override;
    gdi::Point GetCursorPos() override;
    long WindowFromPoint(gdi::Point screen) override;
    std::int16_t GetAsyncKeyState(int virtual_key) override;
    void ShowAbout(const host::AboutInfo& info) override;

    bool TimerEnabled() const;

private:
    Runtime& runtime_;
    Window* window_;  // the window owns this site
    Timers::Id timer_ = 0;
};

}  // namespace sheenwork::runtime
