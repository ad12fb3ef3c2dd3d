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

void RecordingPictureHolder::Picture(host::PictureRef picture) {
    picture_ = site_.Given("Image1.Picture", std::move(picture));
    TakeNaturalSize();
}
void RecordingPictureHolder::Width(vb::Single pixels) {
    width_ = site_.Given("Image1.Width", pixels);
}
void RecordingPictureHolder::Height(vb::Single pixels) {
    height_ = site_.Given("Image1.Height", pixels);
}
void RecordingPictureHolder::Stretch(vb::Boolean on) {
    stretch_ = site_.Given("Image1.Stretch", on);
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

host::FontRef RecordingSite::LabelFont(const char* name, int weight, std::int16_t charset) {
    auto font = std::make_shared<vb::StdFont>(name, 9.75);
    font->Weight(static_cast<std::int16_t>(weight));
    font->Charset(charset);
    return font;
}

RecordingSite::RecordingSite(int width, int height)
    : gdi_(gdi::MakeRasterGdi()),
      surface_(std::make_unique<host::Surface>(*gdi_, width, height)),
      ptemp_(std::make_unique<host::Surface>(*gdi_, 1, 1)) {}
RecordingSite::RecordingSite(gdi::Gdi& gdi, int width, int height)
    : surface_(std::make_unique<host::Surface>(gdi, width, height)),
      ptemp_(std::make_unique<host::Surface>(gdi, 1, 1)) {}
RecordingSite::~RecordingSite() = default;

void RecordingSite::Call(const std::string& operation, const std::string& detail) {
    log.Add(detail.empty() ? operation : operation + " " + detail);
    if (const auto it = failures_.find(operation); it != failures_.end())
        throw vb::RuntimeError(it->second, std::string(vb::ErrorText(it->second)));
}

void RecordingSite::SurfaceFont(host::FontRef font) {
    if (Given("Surface.Font", font)) surface_->Font(*font);
}
host::PictureRef RecordingSite::xpPointer(int index) {
    return picture::XPPointer(Given("xp", index));
}
vb::Single RecordingSite::ScaleTwipsToPixelsX(vb::Single twips) {
    return vb::TwipsToPixelsX(Given("ScaleX", twips));
}
vb::Single RecordingSite::ScaleTwipsToPixelsY(vb::Single twips) {
    return vb::TwipsToPixelsY(Given("ScaleY", twips));
}

}  // namespace sheenwork::testing
