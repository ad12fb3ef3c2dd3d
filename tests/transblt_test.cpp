// TransBlt: the masked block transfer the picture painter uses, on both of its paths.
#include <sheenwork/gdi/gdi.h>
#include <sheenwork/util/error.h>
#include <sheenwork/vb/error.h>

#include <gtest/gtest.h>

#include "render/basButton.h"
#include "support/forwarding_gdi.h"
#include "support/recording_services.h"

namespace sheenwork {
namespace {

using gdi::ColorRef;

constexpr ColorRef kKey = 0xFF00FF;

// A memory DC holding a w x h surface bitmap whose pixels come from `pixel(x, y)`.
struct Bitmap {
    Bitmap(gdi::Gdi& g, int w, int h, const std::function<ColorRef(int, int)>& pixel)
        : g(g), w(w), h(h) {
        dc = g.CreateCompatibleDC(nullptr);
        bmp = g.CreateSurfaceBitmap(w, h);
        old = g.SelectObject(dc, bmp);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) g.SetPixel(dc, x, y, pixel(x, y));
    }
    ~Bitmap() {
        g.SelectObject(dc, old);
        g.DeleteObject(bmp);
        g.DeleteDC(dc);
    }
    std::vector<ColorRef> Pixels() const {
        std::vector<ColorRef> px;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) px.push_back(g.GetPixel(dc, x, y));
        return px;
    }
    gdi::Gdi& g;
    int w, h;
    gdi::Hdc dc;
    gdi::Hgdiobj bmp, old;
};

// The source: key-colour pixels on a diagonal band, black and white ones among coloured.
ColorRef Source(int x, int y) {
    if ((x + y) % 3 == 0) return kKey;
    if (x == 1) return 0x000000;
    if (y == 2) return 0xFFFFFF;
    return gdi::Rgb(40 * x, 30 * y, 200);
}
ColorRef Dest(int x, int y) { return gdi::Rgb(10 + x, 100 + y, 50); }

class TransBltTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { gdi::SetRasterCaps1(*g, GetParam()); }
    testing::RecordingServices services;
    std::unique_ptr<gdi::Gdi> g = gdi::MakeRasterGdi();
};

TEST_P(TransBltTest, KeyColourKeepsTheDestinationAndEverythingElseIsCopied) {
    Bitmap src(*g, 8, 6, Source), dst(*g, 10, 9, Dest);
    g->SetBkColor(src.dc, 0x123456);
    g->SetBkColor(dst.dc, 0x654321);
    const auto source_before = src.Pixels();
    const gdi::LiveObjects live = gdi::RasterLiveObjects(*g);

    // The 5 x 4 block at (2, 1) of the source to (3, 4) of the destination.
    TransBlt(*g, dst.dc, 3, 4, 5, 4, src.dc, 2, 1, kKey);

    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 3 && x < 8 && y >= 4 && y < 8;
            const ColorRef s = inside ? Source(x - 3 + 2, y - 4 + 1) : 0;
            const ColorRef expected = inside && s != kKey ? s : Dest(x, y);
            EXPECT_EQ(g->GetPixel(dst.dc, x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(src.Pixels(), source_before);
    EXPECT_EQ(gdi::RasterLiveObjects(*g), live);
    // Both contexts keep their own settings.
    EXPECT_EQ(g->GetBkColor(src.dc), 0x123456u);
    EXPECT_EQ(g->GetBkColor(dst.dc), 0x654321u);
    EXPECT_EQ(g->GetBkMode(dst.dc), gdi::OPAQUE);
    EXPECT_TRUE(services.boxes.empty());
}

TEST_P(TransBltTest, ASystemColourKeyIsNotTranslated) {
    // 0x8000000F names the button face only to the host; here no pixel equals it, so
    // every pixel is copied, the button-face-coloured ones too.
    const ColorRef face = vb::SysColor(15);
    Bitmap src(*g, 4, 1, [&](int x, int) { return x % 2 ? face : 0x000000; });
    Bitmap dst(*g, 4, 1, [](int, int) { return 0x00FF00; });
    TransBlt(*g, dst.dc, 0, 0, 4, 1, src.dc, 0, 0, static_cast<vb::Long>(0x8000000F));
    EXPECT_EQ(dst.Pixels(), (std::vector<ColorRef>{0x000000, face, 0x000000, face}));
}

TEST_P(TransBltTest, BlocksPartlyOutsideAreClippedWithoutLeaks) {
    Bitmap src(*g, 4, 4, Source), dst(*g, 4, 4, Dest);
    const auto live = gdi::RasterLiveObjects(*g);
    TransBlt(*g, dst.dc, 2, 2, 4, 4, src.dc, 0, 0, kKey);
    EXPECT_EQ(g->GetPixel(dst.dc, 3, 2), Source(1, 0));
    EXPECT_EQ(g->GetPixel(dst.dc, 2, 2), Dest(2, 2));  // key at (0, 0)
    EXPECT_EQ(g->GetPixel(dst.dc, 1, 1), Dest(1, 1));
    TransBlt(*g, dst.dc, 0, 0, 0, 0, src.dc, 0, 0, kKey);  // an empty block
    EXPECT_EQ(gdi::RasterLiveObjects(*g), live);
}

// A device that blits transparently by itself but whose capability query fails: with
// errors skipped the query's step is skipped, TransBlt knows nothing of the device's
// transparency and takes the mask method, whose masks are the only monochrome bitmaps.
TEST(TransBltFailingQuery, TakesTheMaskMethodWithErrorsSkipped) {
    struct FailingQuery : testing::ForwardingGdi {
        using ForwardingGdi::ForwardingGdi;
        int GetDeviceCaps(Hdc, int) override { vb::Raise(5); }
        Hgdiobj CreateBitmap(int w, int h, unsigned planes, unsigned bpp,
                             const void* bits) override {
            masks += bpp == 1 ? 1 : 0;
            return ForwardingGdi::CreateBitmap(w, h, planes, bpp, bits);
        }
        int masks = 0;
    };
    testing::RecordingServices services;
    auto raster = gdi::MakeRasterGdi();
    gdi::SetRasterCaps1(*raster, gdi::C1_TRANSPARENT);
    FailingQuery g(*raster);
    Bitmap src(g, 4, 2, Source), dst(g, 4, 2, Dest);
    SetSilentError(vb::True);
    TransBlt(g, dst.dc, 0, 0, 4, 2, src.dc, 0, 0, kKey);
    SetSilentError(vb::False);
    EXPECT_EQ(g.masks, 2);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(g.GetPixel(dst.dc, x, 1), Source(x, 1) == kKey ? Dest(x, 1) : Source(x, 1));
    EXPECT_TRUE(services.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Paths, TransBltTest, ::testing::Values(0, gdi::C1_TRANSPARENT),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param ? std::string("DeviceTransparency")
                                               : std::string("MaskMethod");
                         });

}  // namespace
}  // namespace sheenwork
