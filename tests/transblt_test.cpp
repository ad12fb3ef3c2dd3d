// TransBlt on a device whose capability query fails (its pixels on both paths are cases
// of tests/data/raster/cases/transblt.txt).
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/error.h>

#include <gtest/gtest.h>

#include "render/basButton.h"
#include "scenes/scenes.h"
#include "support/forwarding_gdi.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

// A device that blits transparently by itself but whose capability query fails: with
// errors skipped the query's step is skipped, TransBlt knows nothing of the device's
// transparency and takes the mask method, whose masks are the only monochrome bitmaps.
TEST(TransBltFailingQuery, TakesTheMaskMethodWithErrorsSkipped) {
    testing::RecordingServices services;
    auto raster = gdi::MakeRasterGdi();
    gdi::SetRasterCaps1(*raster, gdi::C1_TRANSPARENT);
    testing::RecordingGdi g(*raster);
    g.failing = "GetDeviceCaps";
    scenes::Calls c(g, nullptr);
    for (const char* line :
         {"src = CreateCompatibleDC null", "a = CreateSurfaceBitmap 4 2", "SelectObject src a",
          "picture src 4 2 palette", "dst = CreateCompatibleDC null", "b = CreateSurfaceBitmap 4 2",
          "SelectObject dst b", "picture dst 4 2 gradient"})
        scenes::RunLine(c, scenes::Split(line));
    SetSilentError(vb::True);
    TransBlt(g, c.Dc("dst"), 0, 0, 4, 2, c.Dc("src"), 0, 0, 0xFF00FF);
    SetSilentError(vb::False);
    EXPECT_EQ(g.monochrome, 2);
    // The second row: the palette's white, magenta (the key: the gradient's (1, 1) stays),
    // its blue and black.
    std::vector<gdi::ColorRef> row;
    for (int x = 0; x < 4; ++x) row.push_back(g.GetPixel(c.Dc("dst"), x, 1));
    EXPECT_EQ(row, (std::vector<gdi::ColorRef>{0xFFFFFF, 0x5ABF14, 0x3366CC, 0x000000}));
    EXPECT_TRUE(services.boxes.empty());
}

}  // namespace
}  // namespace sheenwork
