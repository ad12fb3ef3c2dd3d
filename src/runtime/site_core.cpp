#include "runtime/site_core.h"

#include <sheenwork/picture/pointers.h>
#include <sheenwork/runtime/form.h>
#include <sheenwork/vb/units.h>

namespace sheenwork::runtime {

SiteCore::SiteCore(gdi::Gdi& gdi, int width, int height) : SiteCore(nullptr, gdi, width, height) {}

// The owned GDI is taken by reference, so `*own` is read before anything moves it.
SiteCore::SiteCore(std::unique_ptr<gdi::Gdi> own, int width, int height)
    : SiteCore(std::move(own), *own, width, height) {}

SiteCore::SiteCore(std::unique_ptr<gdi::Gdi>&& own, gdi::Gdi& gdi, int width, int height)
    : own_gdi_(std::move(own)),
      gdi_(gdi),
      surface_(gdi_, width, height),
      ptemp_(gdi_, 1, 1),
      lbl_font_(Runtime::LabelFont()),
      lbl_drop_down_font_(Runtime::DropDownLabelFont()) {}

SiteCore::~SiteCore() = default;

void SiteCore::SurfaceFont(host::FontRef font) {
    if (font) surface_.Font(*font);
}

// The two hand pointers the library carries: 0 pointing, 1 clicking.
host::PictureRef SiteCore::xpPointer(int index) { return picture::XPPointer(index); }

vb::Single SiteCore::ScaleTwipsToPixelsX(vb::Single twips) { return vb::TwipsToPixelsX(twips); }
vb::Single SiteCore::ScaleTwipsToPixelsY(vb::Single twips) { return vb::TwipsToPixelsY(twips); }

}  // namespace sheenwork::runtime
