#include <sheenwork/host/picture_holder.h>
#include <sheenwork/vb/stdpicture.h>

namespace sheenwork::host {

void ImageHolder::Picture(PictureRef picture) {
    picture_ = std::move(picture);
    TakeNaturalSize();
}

void ImageHolder::Stretch(vb::Boolean on) {
    stretch_ = on;
    TakeNaturalSize();
}

void ImageHolder::TakeNaturalSize() {
    if (stretch_) return;
    width_ = picture_ ? static_cast<vb::Single>(picture_->PixelWidth()) : 0;
    height_ = picture_ ? static_cast<vb::Single>(picture_->PixelHeight()) : 0;
}

}  // namespace sheenwork::host
