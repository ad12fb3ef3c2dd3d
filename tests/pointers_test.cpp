// The hand pointers the library carries, checked against the drawing in
// resources/pointers/make_pointers.py: size, hot spot, outline, cuff, transparency, and
// the clicking hand differing from the pointing one by its four strokes alone.
#include <sheenwork/picture/pointers.h>
#include <sheenwork/vb/error.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace sheenwork {
namespace {

constexpr std::uint32_t kBlack = 0xFF000000, kWhite = 0xFFFFFFFF, kBlue = 0xFF0000FF,
                        kMagenta = 0xFFFF00FF;

TEST(XPPointers, AreTheDrawnHands) {
    for (int i : {0, 1}) {
        SCOPED_TRACE(i);
        const auto pic = picture::XPPointer(i);
        ASSERT_TRUE(pic);
        EXPECT_EQ(pic->PixelWidth(), 32);
        EXPECT_EQ(pic->PixelHeight(), 32);
        EXPECT_EQ(pic->Type(), vb::PictureType::Icon);
        // The hot spot is the top of the fingertip's outline: white below, nothing above.
        const gdi::Point hot = picture::XPPointerHotSpot(i);
        EXPECT_EQ(hot, (gdi::Point{11, 5}));
        EXPECT_EQ(pic->Pixel(11, 5), kBlack);
        EXPECT_EQ(pic->Pixel(11, 6), kWhite);
        EXPECT_EQ(pic->Pixel(11, 4) >> 24, 0u);
        // The finger's sides, the cuff inside its outline, the bare corners.
        EXPECT_EQ(pic->Pixel(9, 10), kBlack);
        EXPECT_EQ(pic->Pixel(13, 10), kBlack);
        EXPECT_EQ(pic->Pixel(15, 27), kBlue);
        EXPECT_EQ(pic->Pixel(8, 27), kBlack);
        EXPECT_EQ(pic->Pixel(15, 29), kBlack);
        for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}})
            EXPECT_EQ(pic->Pixel(x, y) >> 24, 0u) << x << "," << y;
    }
    EXPECT_EQ(picture::XPPointer(0), picture::XPPointer(0)) << "decoded once and shared";
    EXPECT_THROW(picture::XPPointer(2), vb::RuntimeError);
}

TEST(XPPointers, ClickingAddsFourStrokesAroundTheFingertip) {
    const auto hand = picture::XPPointer(0), clicking = picture::XPPointer(1);
    int strokes = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (hand->Pixel(x, y) == clicking->Pixel(x, y)) continue;
            ++strokes;
            EXPECT_EQ(hand->Pixel(x, y) >> 24, 0u) << x << "," << y;
            EXPECT_EQ(clicking->Pixel(x, y), kMagenta) << x << "," << y;
            EXPECT_LE(std::max(std::abs(x - 11), std::abs(y - 5)), 6)
                << "near the tip: " << x << "," << y;
        }
    EXPECT_EQ(strokes, 4 * 3);
    EXPECT_EQ(clicking->Pixel(6, 6), kMagenta);   // left of the tip
    EXPECT_EQ(clicking->Pixel(16, 2), kMagenta);  // up to the right
}

}  // namespace
}  // namespace sheenwork
