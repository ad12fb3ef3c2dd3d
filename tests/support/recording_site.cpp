#include "support/recording_site.h"

#include <algorithm>

#include <sheenwork/picture/pointers.h>
#include <sheenwork/vb/units.h>

namespace sheenwork::testing {

std::vector<std::string> CallLog::Only(const std::vector<std::string>& prefixes) const {
    std::vector<std::string> out;
    for (const auto& e : entries)
        if (std::ranges::any_of(prefixes, [&](const std::string& p) { return e.starts_with(p); }))
            out.push_back(e);
    return out;
}

namespace {
std::string B(vb::Boolean b) { return b ? "True" : "False"; }
}  // namespace

host::PictureRef RecordingPictureHolder::Picture() const { return picture_; }
void RecordingPictureHolder::Picture(host::PictureRef picture) {
    site_.Call("Image1.Picture", picture ? "set" : "Nothing");
    picture_ = std::move(picture);
    TakeNaturalSize();
}
vb::Single RecordingPictureHolder::Width() const { return width_; }
void RecordingPictureHolder::Width(vb::Single pixels) {
    site_.Call("Image1.Width", Trimmed(pixels));
    width_ = pixels;
}
vb::Single RecordingPictureHolder::Height() const { return height_; }
void RecordingPictureHolder::Height(vb::Single pixels) {
    site_.Call("Image1.Height", Trimmed(pixels));
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

void RecordingSite::SurfaceFont(host::FontRef font) {
    Call("Surface.Font", font ? "set" : "Nothing");
    if (font) surface_->Font(*font);
}
host::PictureRef RecordingSite::xpPointer(int index) {
    Call("xp", std::to_string(index));
    return picture::XPPointer(index);
}
vb::Single RecordingSite::ScaleTwipsToPixelsX(vb::Single twips) {
    Call("ScaleX", Trimmed(twips));
    return vb::TwipsToPixelsX(twips);
}
vb::Single RecordingSite::ScaleTwipsToPixelsY(vb::Single twips) {
    Call("ScaleY", Trimmed(twips));
    return vb::TwipsToPixelsY(twips);
}

}  // namespace sheenwork::testing
