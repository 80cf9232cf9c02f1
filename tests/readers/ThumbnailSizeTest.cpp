// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "readers/ThumbnailSize.h"

namespace pixelary {
namespace {

TEST(ThumbnailSize, KnownPictures) {
    EXPECT_EQ(ThumbnailSize(188, 156), (ThumbnailExtent{94, 78}));
    EXPECT_EQ(ThumbnailSize(47, 39), (ThumbnailExtent{94, 78}));  // enlarged
    EXPECT_EQ(ThumbnailSize(640, 480), (ThumbnailExtent{93, 70}));
    EXPECT_EQ(ThumbnailSize(1000, 10), (ThumbnailExtent{1, 1}));
    EXPECT_EQ(ThumbnailSize(0, 0), (ThumbnailExtent{1, 1}));
    EXPECT_EQ(ThumbnailSize(100, -20), (ThumbnailExtent{1, 1}));
}

TEST(ThumbnailSize, FlatPictureThatLostAColumnGainsARow) {
    // 640 / (640 / 94) truncates to 93; the height 640 x 5 gives 0.7 rows, then 1.
    EXPECT_EQ(ThumbnailSize(640, 5), (ThumbnailExtent{93, 1}));
    EXPECT_EQ(ThumbnailSize(640, 100), (ThumbnailExtent{93, 14}));
    const ThumbnailExtent flat = ThumbnailSize(640, 80);
    EXPECT_EQ(flat.Width, 93);
    EXPECT_EQ(flat.Height, 12);  // 11.75 truncated to 11, then one more row
}

// Every picture size maps into the box, touches it on one side (give or take the one pixel the
// double-held scale loses) and is at least 1 x 1.
TEST(ThumbnailSize, SweepStaysInsideTheBox) {
    const auto check = [](int w, int h) {
        const ThumbnailExtent t = ThumbnailSize(w, h);
        ASSERT_GE(t.Width, 1);
        ASSERT_GE(t.Height, 1);
        ASSERT_LE(t.Width, 94) << w << "x" << h;
        ASSERT_LE(t.Height, 78) << w << "x" << h;
        if (t.Width > 1 || t.Height > 1) {
            ASSERT_TRUE(t.Width >= 93 || t.Height >= 77) << w << "x" << h;
        }
    };
    for (int side = 1; side <= 10000; side += 7) {
        check(side, 1);
        check(1, side);
        check(side, side);
        check(side, 10000 - side + 1);
    }
    check(65535, 65535);
}

TEST(ThumbnailSize, OtherBoxes) {
    EXPECT_EQ(ThumbnailSize(37, 23, 20, 10),
              (ThumbnailExtent{16, 10}));  // 2.3 held as a double is just below 2.3
    EXPECT_EQ(ThumbnailSize(100, 100, 0, 10), (ThumbnailExtent{1, 1}));
}

}  // namespace
}  // namespace pixelary
