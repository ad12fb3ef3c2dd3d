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

#include "support/numbers.h"

namespace sheenwork::testing {

// The operation log the site, its Image1, the painters and the event sink write to.
struct CallLog {
    std::vector<std::string> entries;
    void Add(std::string entry) { entries.push_back(std::move(entry)); }
    void Clear() { entries.clear(); }
    // Only the entries that start with one of `prefixes` ("" takes every entry).
    std::vector<std::string> Only(const std::vector<std::string>& prefixes) const;
};

class RecordingSite;

// Image1 as the host keeps it: the natural size comes from a test-given size per picture.
class RecordingPictureHolder final : public host::PictureHolder {
public:
    explicit RecordingPictureHolder(RecordingSite& site) : site_(site) {}
    host::PictureRef Picture() const override { return picture_; }
    void Picture(host::PictureRef picture) override;
    vb::Single Width() const override { return width_; }
    void Width(vb::Single pixels) override;
    vb::Single Height() const override { return height_; }
    void Height(vb::Single pixels) override;
    vb::Boolean Stretch() const override { return stretch_; }
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
    host::FontRef lbl_font = LabelFont("Verdana", 400, 0);
    host::FontRef lbl_drop_down_font = LabelFont("Marlett", 700, 2);
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

    // Each operation is logged under its name (a read with "?" where a write has the same
    // name), with what it was given, and fails when set to; then it answers from the
    // fields above.
    void PropertyChanged(const std::string& name) override {
        Call("PropertyChanged", name);
        if (on_property_changed) on_property_changed(name);
    }
// An operation that answers a value, logged under ENTRY; a setting the site mirrors, read
// (logged "ENTRY?") and written (logged "ENTRY VALUE").
#define SHEENWORK_ANSWERS(Type, Member, entry, value) \
    Type Member() override { return Answer(entry, value); }
#define SHEENWORK_MIRRORS(Type, Member, entry, field)           \
    Type Member() override { return Answer(entry "?", field); } \
    void Member(Type v) override { field = Given(entry, v); }
    SHEENWORK_ANSWERS(vb::Boolean, AmbientUserMode, "Ambient.UserMode", user_mode)
    SHEENWORK_ANSWERS(vb::Boolean, AmbientDisplayAsDefault, "Ambient.DisplayAsDefault",
                      display_as_default)
    SHEENWORK_ANSWERS(std::string, ExtenderName, "Extender.Name", extender_name)
    SHEENWORK_ANSWERS(vb::Boolean, ExtenderDefault, "Extender.Default", extender_default)
    SHEENWORK_ANSWERS(vb::Object, Parent, "Parent", parent)
    SHEENWORK_ANSWERS(host::FontRef, ParentFont, "Parent.Font", parent_font)
    SHEENWORK_ANSWERS(std::uint32_t, ParentBackColor, "Parent.BackColor", parent_back_color)
    SHEENWORK_ANSWERS(long, ParentHwnd, "Parent.hWnd", 100L)
    SHEENWORK_ANSWERS(vb::Boolean, ParentIsForm, "Parent.IsForm", vb::True)
    SHEENWORK_ANSWERS(host::Surface&, Surface, "Surface", *surface_)
    SHEENWORK_ANSWERS(long, SurfaceHwnd, "Surface.hWnd", 200L)
    SHEENWORK_MIRRORS(vb::Boolean, SurfaceEnabled, "Surface.Enabled", surface_enabled)
    SHEENWORK_MIRRORS(host::PictureRef, SurfaceMouseIcon, "Surface.MouseIcon", surface_mouse_icon)
    SHEENWORK_MIRRORS(vb::Integer, SurfaceMousePointer, "Surface.MousePointer",
                      surface_mouse_pointer)
    SHEENWORK_MIRRORS(vb::Boolean, SurfaceRightToLeft, "Surface.RightToLeft", right_to_left)
    SHEENWORK_MIRRORS(vb::Integer, SurfaceOLEDropMode, "Surface.OLEDropMode", surface_ole_drop_mode)
    SHEENWORK_MIRRORS(vb::Boolean, tmrMouseInEnabled, "tmrMouseIn.Enabled", timer_enabled)
    SHEENWORK_ANSWERS(host::PictureHolder&, Image1, "Image1", image1_)
    // The scratch surface shares the main surface's Gdi.
    SHEENWORK_ANSWERS(host::Surface&, pTemp, "pTemp", *ptemp_)
    SHEENWORK_ANSWERS(host::FontRef, lblFontFont, "lblFont.Font", lbl_font)
    SHEENWORK_ANSWERS(host::FontRef, lblDropDownFont, "lblDropDown.Font", lbl_drop_down_font)
    SHEENWORK_ANSWERS(gdi::Point, GetCursorPos, "GetCursorPos", cursor)
#undef SHEENWORK_ANSWERS
#undef SHEENWORK_MIRRORS
    void SurfaceFont(host::FontRef font) override;
    void SurfaceAccessKeys(const std::string& keys) override {
        Call("Surface.AccessKeys", "\"" + keys + "\"");
    }
    // Logged "lblFont.SetFont" with the font's name; lbl_font takes the font.
    void lblFontFont(host::FontRef font) override {
        Call("lblFont.SetFont", font ? font->Name() : "Nothing");
        lbl_font = std::move(font);
    }
    void tmrMouseInInterval(long ms) override { Given("tmrMouseIn.Interval", ms); }
    // xp's pictures are the library's own hand pointers.
    host::PictureRef xpPointer(int index) override;
    void SetFocus() override { Call("SetFocus"); }
    void DoEvents() override {
        Call("DoEvents");
        if (on_do_events) on_do_events();
    }
    vb::Single ScaleTwipsToPixelsX(vb::Single twips) override;
    vb::Single ScaleTwipsToPixelsY(vb::Single twips) override;
    gdi::Rect GetWindowRect(long hwnd) override {
        Given("GetWindowRect", hwnd);
        return window_rect;
    }
    long WindowFromPoint(gdi::Point) override {
        return Answer("WindowFromPoint", window_under_cursor);
    }
    std::int16_t GetAsyncKeyState(int vk) override {
        Given("GetAsyncKeyState", vk);
        return key_state.count(vk) ? key_state[vk] : std::int16_t{0};
    }
    void ShowAbout(const host::AboutInfo& info) override {
        Call("ShowAbout", info.version);
        if (on_about) on_about(info);
    }

    // Logs `entry` under `operation` and throws when the operation is set to fail.
    void Call(const std::string& operation, const std::string& detail = {});
    // Call for an operation that answers `value`, and for one given `value` (logged as
    // True or False, a number without trailing zeros, set or Nothing); both give back
    // `value`.
    template <typename T>
    T&& Answer(const std::string& operation, T&& value) {
        Call(operation);
        return std::forward<T>(value);
    }
    template <typename T>
    T Given(const std::string& operation, T value) {
        if constexpr (std::is_same_v<T, vb::Boolean>)
            Call(operation, value ? "True" : "False");
        else if constexpr (std::is_arithmetic_v<T>)
            Call(operation, Trimmed(value));
        else
            Call(operation, value ? "set" : "Nothing");
        return value;
    }

private:
    static host::FontRef LabelFont(const char* name, int weight, std::int16_t charset);
    std::unique_ptr<gdi::Gdi> gdi_;
    std::unique_ptr<host::Surface> surface_;
    std::unique_ptr<host::Surface> ptemp_;
    RecordingPictureHolder image1_{*this};
    std::map<std::string, long> failures_;
};

}  // namespace sheenwork::testing
