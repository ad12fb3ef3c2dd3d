// A control site for tests: records every operation the control calls, in order, and
// fails any of them on request.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/host/site.h>
#include <sheenwork/vb/error.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sheenwork::testing {

// The operation log the site, its Image1, the painters and the event sink write to.
struct CallLog {
    std::vector<std::string> entries;
    void Add(std::string entry) { entries.push_back(std::move(entry)); }
    void Clear() { entries.clear(); }
    // Only the entries that start with one of `prefixes`.
    std::vector<std::string> Only(std::initializer_list<std::string_view> prefixes) const;
};

class RecordingSite;

// Image1 as the host keeps it: the natural size comes from a test-given size per picture.
class RecordingPictureHolder final : public host::PictureHolder {
public:
    explicit RecordingPictureHolder(RecordingSite& site) : site_(site) {}
    host::PictureRef Picture() const override;
    void Picture(host::PictureRef picture) override;
    vb::Single Width() const override;
    void Width(vb::Single pixels) override;
    vb::Single Height() const override;
    void Height(vb::Single pixels) override;
    vb::Boolean Stretch() const override;
    void Stretch(vb::Boolean on) override;

    // The natural size the holder takes for the current picture with stretching off.
    void NaturalSize(vb::Single width, vb::Single height);

private:
    void TakeNaturalSize();
    RecordingSite& site_;
    host::PictureRef picture_;
    vb::Single width_ = 0, height_ = 0, natural_width_ = 0, natural_height_ = 0;
    vb::Boolean stretch_;
};

class RecordingSite final : public host::ControlSite {
public:
    explicit RecordingSite(int width = 75, int height = 23);
    // A site whose surface draws through `gdi` (which must outlive it), e.g. real GDI.
    RecordingSite(gdi::Gdi& gdi, int width, int height);
    ~RecordingSite() override;

    CallLog log;
    // Makes every later call of `operation` (its log name, e.g. "PropertyChanged" or
    // "Surface") throw run-time error `number`.
    void FailOn(const std::string& operation, long number = 5) { failures_[operation] = number; }
    void ClearFailures() { failures_.clear(); }

    // Called with what the About window would show.
    std::function<void(const host::AboutInfo&)> on_about;
    // Called after each PropertyChanged is logged, to look at the control right then.
    std::function<void(const std::string&)> on_property_changed;

    // What the site answers.
    std::string extender_name = "sheenButton1";
    vb::Boolean extender_default, user_mode = vb::True, display_as_default;
    vb::Object parent;
    host::FontRef parent_font;
    // The fonts of the hidden labels, as a new control surface has them: lblFont's
    // Verdana 9.75 pt, lblDropDown's Marlett 9.75 pt bold in the symbol character set.
    host::FontRef lbl_font;
    host::FontRef lbl_drop_down_font;
    std::uint32_t parent_back_color = 0x8000000F;
    vb::Boolean right_to_left;
    // The surface's other mirrored settings, as a new surface has them; each assignment
    // through the site changes them.
    vb::Boolean surface_enabled = vb::True;
    host::PictureRef surface_mouse_icon;
    vb::Integer surface_mouse_pointer = 0;
    vb::Integer surface_ole_drop_mode = 0;
    gdi::Rect window_rect{0, 0, 75, 23};
    gdi::Point cursor{-1, -1};
    long window_under_cursor = 0;
    std::map<int, std::int16_t> key_state;
    // The hover timer's Enabled.
    vb::Boolean timer_enabled;
    // Called after DoEvents is logged: the messages a host would process then.
    std::function<void()> on_do_events;

    gdi::Gdi& Gdi() { return *gdi_; }
    RecordingPictureHolder& Holder() { return image1_; }

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
    host::Surface& Surface() override;
    long SurfaceHwnd() override;
    vb::Boolean SurfaceEnabled() override;
    void SurfaceEnabled(vb::Boolean value) override;
    void SurfaceFont(host::FontRef font) override;
    host::PictureRef SurfaceMouseIcon() override;
    void SurfaceMouseIcon(host::PictureRef picture) override;
    vb::Integer SurfaceMousePointer() override;
    void SurfaceMousePointer(vb::Integer pointer) override;
    vb::Boolean SurfaceRightToLeft() override;
    void SurfaceRightToLeft(vb::Boolean value) override;
    vb::Integer SurfaceOLEDropMode() override;
    void SurfaceOLEDropMode(vb::Integer mode) override;
    void SurfaceAccessKeys(const std::string& keys) override;
    host::PictureHolder& Image1() override;
    // Logged "pTemp"; the scratch surface shares the main surface's Gdi.
    host::Surface& pTemp() override;
    host::FontRef lblFontFont() override;
    // Logged "lblFont.SetFont"; lbl_font takes the given font.
    void lblFontFont(host::FontRef font) override;
    host::FontRef lblDropDownFont() override;
    vb::Boolean tmrMouseInEnabled() override;
    void tmrMouseInEnabled(vb::Boolean on) override;
    void tmrMouseInInterval(long milliseconds) override;
    // xp's pictures are the library's own hand pointers.
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

    // Logs `entry` under `operation` and throws when the operation is set to fail.
    void Call(const std::string& operation, const std::string& detail = {});

private:
    std::unique_ptr<gdi::Gdi> gdi_;
    std::unique_ptr<host::Surface> surface_;
    std::unique_ptr<host::Surface> ptemp_;
    RecordingPictureHolder image1_{*this};
    std::map<std::string, long> failures_;
};

}  // namespace sheenwork::testing
