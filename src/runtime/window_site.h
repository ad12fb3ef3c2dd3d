// The control site of a runtime window: what the container offers the control on it.
#pragma once

#include <sheenwork/host/picture_holder.h>
#include <sheenwork/host/site.h>
#include <sheenwork/host/surface.h>
#include <sheenwork/runtime/form.h>

#include <memory>

namespace sheenwork::runtime {

class WindowSite final : public host::ControlSite {
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
    host::Surface& Surface() override { return surface_; }
    long SurfaceHwnd() override;
    vb::Boolean SurfaceEnabled() override { return vb::Boolean(window_->Enabled()); }
    void SurfaceEnabled(vb::Boolean value) override;
    host::PictureRef SurfaceMouseIcon() override;
    vb::Integer SurfaceMousePointer() override;
    vb::Integer SurfaceOLEDropMode() override { return ole_drop_mode_; }
    void SurfaceFont(host::FontRef font) override;
    void SurfaceMouseIcon(host::PictureRef picture) override;
    void SurfaceMousePointer(vb::Integer pointer) override;
    vb::Boolean SurfaceRightToLeft() override { return right_to_left_; }
    void SurfaceRightToLeft(vb::Boolean value) override { right_to_left_ = value; }
    void SurfaceOLEDropMode(vb::Integer mode) override { ole_drop_mode_ = mode; }
    void SurfaceAccessKeys(const std::string& keys) override;
    host::PictureHolder& Image1() override { return image1_; }
    host::Surface& pTemp() override { return ptemp_; }
    host::FontRef lblFontFont() override { return lbl_font_; }
    void lblFontFont(host::FontRef font) override { lbl_font_ = std::move(font); }
    host::FontRef lblDropDownFont() override { return lbl_drop_down_font_; }
    vb::Boolean tmrMouseInEnabled() override { return vb::Boolean(TimerEnabled()); }
    void tmrMouseInEnabled(vb::Boolean on) override;
    void tmrMouseInInterval(long milliseconds) override;
    host::PictureRef xpPointer(int index) override;
    void SetFocus() override;
    void DoEvents() override;
    vb::Single ScaleTwipsToPixelsX(vb::Single twips) override;
    vb::Single ScaleTwipsToPixelsY(vb::Single twips) override;
    gdi::Rect GetWindowRect(long hwnd) override;
    gdi::Point GetCursorPos() override;
    long WindowFromPoint(gdi::Point screen) override;
    std::int16_t GetAsyncKeyState(int virtual_key) override;
    void ShowAbout(const host::AboutInfo& info) override;

    bool TimerEnabled() const;

private:
    Runtime& runtime_;
    Window* window_;  // the window owns this site
    host::Surface surface_;
    host::Surface ptemp_;
    host::ImageHolder image1_;
    host::FontRef lbl_font_, lbl_drop_down_font_;
    Timers::Id timer_ = 0;
    vb::Boolean right_to_left_;
    vb::Integer ole_drop_mode_ = 0;
};

}  // namespace sheenwork::runtime
