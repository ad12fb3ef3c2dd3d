#include "support/recording_site.h"

#include <sheenwork/picture/pointers.h>
#include <sheenwork/vb/units.h>

namespace sheenwork::testing {

std::vector<std::string> CallLog::Only(std::initializer_list<std::string_view> prefixes) const {
    std::vector<std::string> out;
    for (const auto& e : entries)
        for (auto p : prefixes)
            if (std::string_view(e).substr(0, p.size()) == p) {
                out.push_back(e);
                break;
            }
    return out;
}

namespace {
std::string B(vb::Boolean b) { return b ? "True" : "False"; }
std::string N(double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
}
}  // namespace

host::PictureRef RecordingPictureHolder::Picture() const { return picture_; }
void RecordingPictureHolder::Picture(host::PictureRef picture) {
    site_.Call("Image1.Picture", picture ? "set" : "Nothing");
    picture_ = std::move(picture);
    TakeNaturalSize();
}
vb::Single RecordingPictureHolder::Width() const { return width_; }
void RecordingPictureHolder::Width(vb::Single pixels) {
    site_.Call("Image1.Width", N(pixels));
    width_ = pixels;
}
vb::Single RecordingPictureHolder::Height() const { return height_; }
void RecordingPictureHolder::Height(vb::Single pixels) {
    site_.Call("Image1.Height", N(pixels));
    height_ = pixels;
}
vb::Boolean RecordingPictureHolder::Stretch() const { return stretch_; }
void RecordingPictureHolder::Stretch(vb::Boolean on) {
    site_.Call("Image1.Stretch", B(on));
    stretch_ = on;
    TakeNaturalSize();
}
void RecordingPictureHolder::NaturalSize(vb::Single width, vb::Single height) {
    natural_width_ = width;
    natural_height_ = height;
    TakeNaturalSize();
}
void RecordingPictureHolder::TakeNaturalSize() {
    if (stretch_) return;
    width_ = picture_ ? natural_width_ : 0;
    height_ = picture_ ? natural_height_ : 0;
}

namespace {
host::FontRef LabelFont(const char* name, int weight, std::int16_t charset) {
    auto font = std::make_shared<vb::StdFont>(name, 9.75);
    font->Weight(static_cast<std::int16_t>(weight));
    font->Charset(charset);
    return font;
}
}  // namespace

RecordingSite::RecordingSite(int width, int height)
    : lbl_font(LabelFont("Verdana", 400, 0)),
      lbl_drop_down_font(LabelFont("Marlett", 700, 2)),
      gdi_(gdi::MakeRasterGdi()),
      surface_(std::make_unique<host::Surface>(*gdi_, width, height)),
      ptemp_(std::make_unique<host::Surface>(*gdi_, 1, 1)) {}
RecordingSite::RecordingSite(gdi::Gdi& gdi, int width, int height)
    : lbl_font(LabelFont("Verdana", 400, 0)),
      lbl_drop_down_font(LabelFont("Marlett", 700, 2)),
      surface_(std::make_unique<host::Surface>(gdi, width, height)),
      ptemp_(std::make_unique<host::Surface>(gdi, 1, 1)) {}
RecordingSite::~RecordingSite() = default;

void RecordingSite::Call(const std::string& operation, const std::string& detail) {
    log.Add(detail.empty() ? operation : operation + " " + detail);
    if (const auto it = failures_.find(operation); it != failures_.end())
        throw vb::RuntimeError(it->second, std::string(vb::ErrorText(it->second)));
}

void RecordingSite::PropertyChanged(const std::string& name) {
    Call("PropertyChanged", name);
    if (on_property_changed) on_property_changed(name);
}
vb::Boolean RecordingSite::AmbientUserMode() {
    Call("Ambient.UserMode");
    return user_mode;
}
vb::Boolean RecordingSite::AmbientDisplayAsDefault() {
    Call("Ambient.DisplayAsDefault");
    return display_as_default;
}
std::string RecordingSite::ExtenderName() {
    Call("Extender.Name");
    return extender_name;
}
vb::Boolean RecordingSite::ExtenderDefault() {
    Call("Extender.Default");
    return extender_default;
}
vb::Object RecordingSite::Parent() {
    Call("Parent");
    return parent;
}
host::FontRef RecordingSite::ParentFont() {
    Call("Parent.Font");
    return parent_font;
}
std::uint32_t RecordingSite::ParentBackColor() {
    Call("Parent.BackColor");
    return parent_back_color;
}
long RecordingSite::ParentHwnd() {
    Call("Parent.hWnd");
    return 100;
}
vb::Boolean RecordingSite::ParentIsForm() {
    Call("Parent.IsForm");
    return vb::True;
}
host::Surface& RecordingSite::Surface() {
    Call("Surface");
    return *surface_;
}
long RecordingSite::SurfaceHwnd() {
    Call("Surface.hWnd");
    return 200;
}
vb::Boolean RecordingSite::SurfaceEnabled() {
    Call("Surface.Enabled?");
    return surface_enabled;
}
void RecordingSite::SurfaceEnabled(vb::Boolean value) {
    Call("Surface.Enabled", B(value));
    surface_enabled = value;
}
void RecordingSite::SurfaceFont(host::FontRef font) {
    Call("Surface.Font", font ? "set" : "Nothing");
    if (font) surface_->Font(*font);
}
host::PictureRef RecordingSite::SurfaceMouseIcon() {
    Call("Surface.MouseIcon?");
    return surface_mouse_icon;
}
void RecordingSite::SurfaceMouseIcon(host::PictureRef picture) {
    Call("Surface.MouseIcon", picture ? "set" : "Nothing");
    surface_mouse_icon = std::move(picture);
}
vb::Integer RecordingSite::SurfaceMousePointer() {
    Call("Surface.MousePointer?");
    return surface_mouse_pointer;
}
void RecordingSite::SurfaceMousePointer(vb::Integer pointer) {
    Call("Surface.MousePointer", std::to_string(pointer));
    surface_mouse_pointer = pointer;
}
vb::Boolean RecordingSite::SurfaceRightToLeft() {
    Call("Surface.RightToLeft?");
    return right_to_left;
}
void RecordingSite::SurfaceRightToLeft(vb::Boolean value) {
    Call("Surface.RightToLeft", B(value));
    right_to_left = value;
}
vb::Integer RecordingSite::SurfaceOLEDropMode() {
    Call("Surface.OLEDropMode?");
    return surface_ole_drop_mode;
}
void RecordingSite::SurfaceOLEDropMode(vb::Integer mode) {
    Call("Surface.OLEDropMode", std::to_string(mode));
    surface_ole_drop_mode = mode;
}
void RecordingSite::SurfaceAccessKeys(const std::string& keys) {
    Call("Surface.AccessKeys", "\"" + keys + "\"");
}
host::PictureHolder& RecordingSite::Image1() {
    Call("Image1");
    return image1_;
}
host::Surface& RecordingSite::pTemp() {
    Call("pTemp");
    return *ptemp_;
}
host::FontRef RecordingSite::lblFontFont() {
    Call("lblFont.Font");
    return lbl_font;
}
void RecordingSite::lblFontFont(host::FontRef font) {
    Call("lblFont.SetFont", font ? font->Name() : "Nothing");
    lbl_font = std::move(font);
}
host::FontRef RecordingSite::lblDropDownFont() {
    Call("lblDropDown.Font");
    return lbl_drop_down_font;
}
vb::Boolean RecordingSite::tmrMouseInEnabled() {
    Call("tmrMouseIn.Enabled?");
    return timer_enabled;
}
void RecordingSite::tmrMouseInEnabled(vb::Boolean on) {
    Call("tmrMouseIn.Enabled", B(on));
    timer_enabled = on;
}
void RecordingSite::tmrMouseInInterval(long ms) { Call("tmrMouseIn.Interval", std::to_string(ms)); }
host::PictureRef RecordingSite::xpPointer(int index) {
    Call("xp", std::to_string(index));
    return picture::XPPointer(index);
}
void RecordingSite::SetFocus() { Call("SetFocus"); }
void RecordingSite::DoEvents() {
    Call("DoEvents");
    if (on_do_events) on_do_events();
}
vb::Single RecordingSite::ScaleTwipsToPixelsX(vb::Single twips) {
    Call("ScaleX", N(twips));
    return vb::TwipsToPixelsX(twips);
}
vb::Single RecordingSite::ScaleTwipsToPixelsY(vb::Single twips) {
    Call("ScaleY", N(twips));
    return vb::TwipsToPixelsY(twips);
}
gdi::Rect RecordingSite::GetWindowRect(long hwnd) {
    Call("GetWindowRect", std::to_string(hwnd));
    return window_rect;
}
gdi::Point RecordingSite::GetCursorPos() {
    Call("GetCursorPos");
    return cursor;
}
long RecordingSite::WindowFromPoint(gdi::Point) {
    Call("WindowFromPoint");
    return window_under_cursor;
}
std::int16_t RecordingSite::GetAsyncKeyState(int vk) {
    Call("GetAsyncKeyState", std::to_string(vk));
    const auto it = key_state.find(vk);
    return it == key_state.end() ? 0 : it->second;
}
void RecordingSite::ShowAbout(const host::AboutInfo& info) {
    Call("ShowAbout", info.version);
    if (on_about) on_about(info);
}

}  // namespace sheenwork::testing
