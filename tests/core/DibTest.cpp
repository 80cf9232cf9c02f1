// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/Dib.h"
#include "core/Exception.h"
#include "core/Stream.h"

namespace pixelary {
namespace {

Dib Pattern(int width, int height, int bits) {
    Dib dib(width, height, bits);
    for (int y = 0; y < height; ++y) {
        for (std::size_t i = 0; i < dib.Stride(); ++i) {
            dib.Row(y)[i] = static_cast<std::uint8_t>(y * 31 + i * 7);
        }
    }
    if (bits <= 8) {
        std::vector<std::uint32_t> palette(1u << bits);
        for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = (0x010203u * i) & 0xFFFFFF;
        dib.SetPalette(palette);
    }
    return dib;
}

TEST(Dib, StrideIsPaddedToFourBytes) {
    EXPECT_EQ(Dib::StrideFor(10, 1), 4u);
    EXPECT_EQ(Dib::StrideFor(3, 24), 12u);
    EXPECT_EQ(Dib::StrideFor(5, 8), 8u);
    EXPECT_EQ(Dib::StrideFor(7, 4), 4u);
}

TEST(Dib, RefusesBadGeometry) {
    EXPECT_THROW(Dib(0, 5, 8), EIntError);
    EXPECT_THROW(Dib(5, 5, 16), EIntError);
    EXPECT_THROW(Dib(65536, 1, 1), EIntError);
    EXPECT_THROW(Dib(65535, 65535, 32), EIntError);  // over the byte cap
}

TEST(Dib, BmpRoundTripKeepsEveryDepthAndPalette) {
    for (int bits : {1, 4, 8, 24, 32}) {
        const Dib original = Pattern(13, 7, bits);
        const Dib copy = Dib::LoadFromBytes(original.ToBmpBytes());
        ASSERT_EQ(copy.Width(), 13);
        ASSERT_EQ(copy.Height(), 7);
        ASSERT_EQ(copy.BitCount(), bits);
        EXPECT_EQ(copy.Palette(), original.Palette()) << bits;
        EXPECT_EQ(copy.Pixels(), original.Pixels()) << bits;
    }
}

TEST(Dib, SavedFileIsBottomUpWithTopRowLast) {
    Dib dib(1, 2, 24);
    dib.Row(0)[0] = 0xAA;  // top
    dib.Row(1)[0] = 0xBB;  // bottom
    const auto bytes = dib.ToBmpBytes();
    ASSERT_EQ(bytes.size(), 14u + 40u + 8u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(bytes[54], 0xBB);
    EXPECT_EQ(bytes[58], 0xAA);
}

TEST(Dib, ReadsTopDownFiles) {
    Dib dib(2, 2, 8);
    dib.Row(0)[0] = 1;
    dib.Row(1)[0] = 2;
    auto bytes = dib.ToBmpBytes();
    // Height -2 marks top-down rows: the first stored row is now the top.
    bytes[22] = 0xFE;
    bytes[23] = bytes[24] = bytes[25] = 0xFF;
    const Dib copy = Dib::LoadFromBytes(bytes);
    EXPECT_EQ(copy.Row(0)[0], 2);
    EXPECT_EQ(copy.Row(1)[0], 1);
}

TEST(Dib, RefusesMalformedFiles) {
    const auto good = Pattern(4, 4, 8).ToBmpBytes();
    auto truncated = good;
    truncated.resize(good.size() - 1);
    EXPECT_THROW(Dib::LoadFromBytes(truncated), EInOutError);

    auto huge = good;  // tiny file declaring a 60000 x 60000 picture
    huge[18] = huge[22] = 0x60;
    huge[19] = huge[23] = 0xEA;
    EXPECT_THROW(Dib::LoadFromBytes(huge), EInOutError);

    auto colours = good;  // more colours than 8 bits can index
    colours[46] = 0x01;
    colours[47] = 0x01;
    EXPECT_THROW(Dib::LoadFromBytes(colours), EInOutError);

    auto rle = good;
    rle[30] = 1;
    EXPECT_THROW(Dib::LoadFromBytes(rle), EInOutError);

    EXPECT_THROW(Dib::LoadFromBytes({'B', 'M', 0}), EInOutError);
    EXPECT_THROW(Dib::LoadFromBytes({}), EInOutError);
}

TEST(Dib, PixelRgbLooksUpThePalette) {
    Dib dib(2, 1, 1);
    dib.SetPalette({0x000000, 0xFF8040});
    dib.Row(0)[0] = 0x40;  // second pixel set
    EXPECT_EQ(dib.PixelRgb(0, 0), 0u);
    EXPECT_EQ(dib.PixelRgb(1, 0), 0xFF8040u);
}

}  // namespace
}  // namespace pixelary
