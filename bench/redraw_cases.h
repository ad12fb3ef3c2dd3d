// Full repaints of a button without a caption, per look and scheme, at rest and under
// the pointer, written once so that the same work runs on our raster
// (bench/redraw_bench.cpp) and through real GDI under Wine (reference/bench_main.cpp).
#pragma once

#include <sheenwork/control/enums.h>
#include <sheenwork/control/sheenButton.h>

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
        ButtonRecord& r = button_.Record();
        testing::SetNewInstanceFields(r, "sheenButton1");
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

}  // namespace sheenwork::bench
