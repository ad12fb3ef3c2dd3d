// Image1 as hosts keep it: an invisible picture holder whose size is the picture's
// natural size while stretching is off, and the size last assigned while it is on.
#pragma once

#include <sheenwork/host/site.h>

namespace sheenwork::host {

class ImageHolder final : public PictureHolder {
public:
    PictureRef Picture() const override { return picture_; }
    void Picture(PictureRef picture) override;
    vb::Single Width() const override { return width_; }
    void Width(vb::Single pixels) override { width_ = pixels; }
    vb::Single Height() const override { return height_; }
    void Height(vb::Single pixels) override { height_ = pixels; }
    vb::Boolean Stretch() const override { return stretch_; }
    void Stretch(vb::Boolean on) override;

private:
    void TakeNaturalSize();
    PictureRef picture_;
    vb::Single width_ = 0, height_ = 0;
    vb::Boolean stretch_;
};

}  // namespace sheenwork::host
