// The hand pointers the library carries, checked against the drawing in
// resources/pointers/make_pointers.py: size, hot spot, and outline, cuff and transparency
// (tests/data/pointers/hands.txt), and the clicking hand differing from the pointing one
// by its four strokes alone.
#include <sheenwork/picture/pointers.h>
#include <sheenwork/vb/error.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "support/data.h"

namespace sheenwork {
namespace {

constexpr std::uint32_t kMagenta = 0xFFFF00FF;

TEST(XPPointers, AreTheDrawnHands) {
    for (int i : {0, 1}) {
        const auto pic = picture::XPPointer(i);
        ASSERT_TRUE(pic);
        EXPECT_EQ(pic->PixelWidth(), 32);
        EXPECT_EQ(pic->PixelHeight(), 32);
        EXPECT_EQ(pic->Type(), vb::PictureType::Icon);
        EXPECT_EQ(picture::XPPointerHotSpot(i), (gdi::Point{11, 5}));
    }
    for (const testing::Row& row : testing::ReadTable("pointers/hands.txt")) {
        const int x = std::stoi(row[1]), y = std::stoi(row[1].substr(row[1].find(',') + 1));
        for (int i : {0, 1}) {
            if (row[0] != "both" && row[0] != std::to_string(i)) continue;
            const std::uint32_t pixel = picture::XPPointer(i)->Pixel(x, y);
            char hex[16];
            std::snprintf(hex, sizeof hex, "%08X", pixel);
            EXPECT_EQ(row[2] == "clear" && pixel >> 24 == 0 ? "clear" : hex, row[2])
                << row.where << ", hand " << i;
        }
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
}

}  // namespace
}  // namespace sheenwork
