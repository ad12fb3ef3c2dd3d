// What a control site keeps the same way whoever hosts the control (the runtime's
// windows, the Qt widget, the ActiveX control's container): the surface the control
// draws on and its scratch surface, on the GDI the host draws with; the picture holder;
// the label fonts; the right-to-left and drop-mode flags; the mouse pointer and icon;
// the hand pointers; the screen's twips. A host derives from it and answers the rest
// (its form, windows, timer, focus and input), and overrides what it keeps elsewhere.
#pragma once

#include <sheenwork/gdi/gdi.h>
#include <sheenwork/host/picture_holder.h>
#include <sheenwork/host/site.h>
#include <sheenwork/host/surface.h>

#include <memory>

namespace sheenwork::runtime {

class SiteCore : public host::ControlSite {
public:
    // Surfaces on a GDI the host shares, or on one of the site's own.
    SiteCore(gdi::Gdi& gdi, int width, int height);
    SiteCore(std::unique_ptr<gdi::Gdi> own, int width, int height);
    ~SiteCore() override;

    host::Surface& Surface() override { return surface_; }
    host::Surface& pTemp() override { return ptemp_; }
    host::PictureHolder& Image1() override { return image1_; }
    void SurfaceFont(host::FontRef font) override;
    host::FontRef lblFontFont() override { return lbl_font_; }
    void lblFontFont(host::FontRef font) override { lbl_font_ = std::move(font); }
    host::FontRef lblDropDownFont() override { return lbl_drop_down_font_; }
    vb::Boolean SurfaceRightToLeft() override { return right_to_left_; }
    void SurfaceRightToLeft(vb::Boolean value) override { right_to_left_ = value; }
    vb::Integer SurfaceOLEDropMode() override { return ole_drop_mode_; }
    void SurfaceOLEDropMode(vb::Integer mode) override { ole_drop_mode_ = mode; }
    host::PictureRef SurfaceMouseIcon() override { return mouse_icon_; }
    void SurfaceMouseIcon(host::PictureRef picture) override { mouse_icon_ = std::move(picture); }
    vb::Integer SurfaceMousePointer() override { return mouse_pointer_; }
    void SurfaceMousePointer(vb::Integer pointer) override { mouse_pointer_ = pointer; }
    host::PictureRef xpPointer(int index) override;
    // Twips to pixels as the library converts them.
    vb::Single ScaleTwipsToPixelsX(vb::Single twips) override;
    vb::Single ScaleTwipsToPixelsY(vb::Single twips) override;

protected:
    gdi::Gdi& SurfaceGdi() { return gdi_; }
    vb::Integer mouse_pointer_ = 0;
    host::PictureRef mouse_icon_;

private:
    // `gdi` is `*own` when the site owns its GDI; `own` is empty when it shares one.
    SiteCore(std::unique_ptr<gdi::Gdi>&& own, gdi::Gdi& gdi, int width, int height);

    std::unique_ptr<gdi::Gdi> own_gdi_;
    gdi::Gdi& gdi_;
    host::Surface surface_;
    host::Surface ptemp_;
    host::ImageHolder image1_;
    host::FontRef lbl_font_, lbl_drop_down_font_;
    vb::Boolean right_to_left_;
    vb::Integer ole_drop_mode_ = 0;
};

}  // namespace sheenwork::runtime
