// Full repaints of a button without a caption, per look and scheme, at rest and under
// the pointer, written once so that the same work runs on our raster
// (bench/redraw_bench.cpp) and through real GDI under Wine (reference/bench_main.cpp).
#pragma once

#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>

#include <sheenwork/vb/stdpicture.h>

#include <memory>
#include <vector>

#include "support/button_fixture.h"
#include "support/recording_site.h"

namespace sheenwork::bench {

struct RedrawCase {
    const char* name;
    vb::Long button_style, color_style;
};
inline constexpr RedrawCase kRedrawCases[] = {
    {"xp-blue", cButtonWinXP, cXPBlue},    {"xp-silver", cButtonWinXP, cXPSilver},
    {"xp-olive", cButtonWinXP, cXPOlive},  {"classic", cButtonWinXP, cWinClassic},
    {"custom", cButtonWinXP, cCustom},     {"office", cButtonOffice, cXPBlue},
    {"browser", cButtonIExplorer, cXPBlue}};

struct RedrawSize {
    const char* name;
    int width, height;
};
inline constexpr RedrawSize kRedrawSizes[] = {{"75x23", 75, 23}, {"300x100", 300, 100}};

// A button of a new instance on a recording site whose surface draws through `gdi`.
class RedrawTarget {
public:
    RedrawTarget(gdi::Gdi& gdi, const RedrawCase& c, const RedrawSize& size, bool hover)
        : site_(gdi, size.width, size.height), button_(site_) {
        ButtonRecord& r = button_.Record() = testing::NewInstanceRecord();
        r.Caption.clear();
        r.ButtonStyle = c.button_style;
        r.ColorStyle = c.color_style;
        r.bMouseOver = vb::Boolean(hover);
    }
    void Paint() {
        button_.Redraw(0);
        site_.log.Clear();  // the site records each call; keep it from growing
    }
    gdi::ColorRef Probe() {
        auto& s = site_.Surface();
        return s.Gdi().GetPixel(s.hDC(), 3, 3);
    }

private:
    testing::RecordingSite site_;
    sheenButton button_;
};

// A default button with its caption in the default font (Verdana 9.75 pt) and a 16 x 16
// picture drawn with its mask colour transparent, at 75 x 23. With `cold_glyphs` every
// paint uses another font size, one of more than the text engine keeps, so each paint
// realises its font and renders its glyphs anew; otherwise they come from the caches.
class ContentTarget {
public:
    ContentTarget(gdi::Gdi& gdi, bool cold_glyphs)
        : site_(gdi, 75, 23), button_(site_), cold_(cold_glyphs) {
        ButtonRecord& r = button_.Record() = testing::NewInstanceRecord();
        r.Font = std::make_shared<vb::StdFont>("Verdana", 9.75);
        r.FontOnMouseOver = r.Font;
        r.FontDown = r.Font;
        std::vector<std::uint32_t> px(16 * 16);
        for (int i = 0; i < 16 * 16; ++i)
            px[i] = ((i % 16) ^ (i / 16)) % 5 == 0 ? 0xFFFF00FFu : 0xFF3060C0u + (i & 0x3F);
        r.Picture = std::make_shared<vb::StdPicture>(16, 16, std::move(px));
        site_.Holder().Picture(r.Picture);
        site_.Holder().NaturalSize(16, 16);
        r.PictureAlign = cLinks_Mitte;
        r.UseMaskColor = vb::True;
    }
    void Paint() {
        if (cold_) {
            // 96 character heights from 8 pixels up (0.75 pt per pixel at 96 DPI): more
            // than the 64 fonts the engine keeps.
            button_.Record().Font->Size(0.75 * static_cast<double>(8 + step_++ % 96));
        }
        button_.Redraw(0);
        site_.log.Clear();
    }
    gdi::ColorRef Probe() {
        auto& s = site_.Surface();
        return s.Gdi().GetPixel(s.hDC(), 37, 11);
    }

private:
    testing::RecordingSite site_;
    sheenButton button_;
    bool cold_;
    unsigned step_ = 0;
};

}  // namespace sheenwork::bench
