// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "core/Exception.h"
#include "readers/Rwtga.h"

namespace pixelary {
namespace {

using test::Bytes;

Bytes TgaHeader(unsigned idLength, unsigned type, unsigned mapLength, unsigned width,
                unsigned height, unsigned depth, unsigned descriptor, unsigned entryBits = 24) {
    Bytes b;
    b.U8(idLength).U8(mapLength ? 1 : 0).U8(type).U16(0).U16(mapLength).U8(entryBits);
    b.U16(0).U16(0).U16(width).U16(height).U8(depth).U8(descriptor);
    return b;
}

std::string Write(const testing::TempDir& dir, const Bytes& b) {
    const std::string path = dir.File("t.tga");
    testing::WriteFile(path, b.data);
    return path;
}

TEST(Tga, TypesOtherThanMappedAndTrueColourAreRefused) {
    testing::TempDir dir;
    for (unsigned type : {0u, 3u, 9u, 10u, 11u}) {
        try {
            MDiskTGA reader(Write(dir, TgaHeader(0, type, 0, 2, 2, 8, 0).Fill(800, 0)), "tga");
            ADD_FAILURE() << type;
        } catch (const EInOutError& error) {
            EXPECT_STREQ(error.what(), "TGA format not supply");
        }
    }
    EXPECT_THROW(MDiskTGA(test::Fixture("readers/tga/rle24.tga"), "tga"), EInOutError);
    EXPECT_THROW(MDiskTGA(test::Fixture("readers/tga/grey8.tga"), "tga"), EInOutError);
    EXPECT_THROW(MDiskTGA(Write(dir, TgaHeader(0, 2, 0, 2, 2, 12, 0).Fill(64, 0)), "tga"),
                 EInOutError);
    EXPECT_THROW(MDiskTGA(Write(dir, Bytes{}.Fill(10, 0)), "tga"), EReadError);
}

TEST(Tga, MappedPictureWithImageIdFindsPaletteAndRows) {
    testing::TempDir dir;
    Bytes b = TgaHeader(10, 1, 256, 2, 1, 8, 0).Fill(10, 'i');
    for (unsigned i = 0; i < 256; ++i) b.U8(i).U8(255 - i).U8(7);  // blue, green, red
    ASSERT_EQ(b.data.size(), 796u);
    b.U8(3).U8(250);
    MDiskTGA reader(Write(dir, b), "tga");
    EXPECT_EQ(reader.GetColorCount(), 256);
    EXPECT_EQ(reader.GetColor(3), 0x07FC03u);
    EXPECT_EQ(reader.GetXResolution(), 72);
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelValue(0, 0), 3u);
    EXPECT_EQ(dib.PixelValue(1, 0), 250u);
}

TEST(Tga, SixteenBitTopFirstAndAttributeBit) {
    testing::TempDir dir;
    Bytes b = TgaHeader(0, 2, 0, 1, 2, 16, 0x20);
    b.U16(0x8000).U16(0x7C00);  // top: attribute only; bottom: pure red
    MDiskTGA reader(Write(dir, b), "tga");
    EXPECT_EQ(reader.GetBitCount(), 24);
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0u);
    EXPECT_EQ(dib.PixelRgb(0, 1), 0xFF0000u);
}

TEST(Tga, RightToLeftRowsAreMirrored) {
    testing::TempDir dir;
    Bytes b = TgaHeader(0, 2, 0, 3, 1, 24, 0x30);
    b.U8(1).U8(1).U8(1).U8(2).U8(2).U8(2).U8(3).U8(3).U8(3);
    MDiskTGA reader(Write(dir, b), "tga");
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0x030303u);
    EXPECT_EQ(dib.PixelRgb(2, 0), 0x010101u);
}

TEST(Tga, TrueColourSkipsItsMapAndHasNoPalette) {
    testing::TempDir dir;
    Bytes b = TgaHeader(0, 2, 2, 1, 1, 24, 0);
    b.Fill(6, 0xAA).U8(1).U8(2).U8(3);
    MDiskTGA reader(Write(dir, b), "tga");
    EXPECT_EQ(reader.GetColorCount(), 0);
    EXPECT_EQ(test::DecodeFull(reader).PixelRgb(0, 0), 0x030201u);
}

TEST(Tga, LongMapsAndShortFilesStayBounded) {
    testing::TempDir dir;
    // A map of 65535 entries for an 8-bit picture keeps 256 palette entries.
    Bytes b = TgaHeader(0, 1, 65535, 1, 1, 8, 0);
    b.Fill(3 * 65535, 0x11).U8(255);
    MDiskTGA reader(Write(dir, b), "tga");
    EXPECT_EQ(reader.GetPalette().size(), 256u);
    EXPECT_EQ(test::DecodeFull(reader).PixelValue(0, 0), 255u);
    // A large picture declared by a tiny file fails while reading rows, not before.
    MDiskTGA huge(Write(dir, TgaHeader(0, 2, 0, 65535, 65535, 32, 0)), "tga");
    Dib dib(94, 94, 32);
    huge.StretchBegin(0, 0, 65535, 65535, 94, 94);
    EXPECT_THROW(huge.StretchLines(dib, 94), EReadError);
}

// Colour maps of 15-, 16- and 32-bit entries: the colours and the first row's place follow
// the entry size.
TEST(Tga, MapEntrySizesSetColoursAndRowOffset) {
    testing::TempDir dir;
    for (unsigned bits : {15u, 16u}) {
        SCOPED_TRACE(bits);
        Bytes b = TgaHeader(2, 1, 3, 3, 1, 8, 0, bits).Fill(2, 'i');
        b.U16(0x7C00).U16(0x83E0).U16(0x0421);  // red; green with the attribute bit; 1-1-1
        b.U8(2).U8(0).U8(1);
        MDiskTGA reader(Write(dir, b), "tga");
        EXPECT_EQ(reader.GetColor(0), 0xFF0000u);
        EXPECT_EQ(reader.GetColor(1), 0x00FF00u);
        EXPECT_EQ(reader.GetColor(2), 0x0F0F0Fu);
        const Dib dib = test::DecodeFull(reader);
        EXPECT_EQ(dib.PixelValue(0, 0), 2u);
        EXPECT_EQ(dib.PixelValue(1, 0), 0u);
        EXPECT_EQ(dib.PixelValue(2, 0), 1u);
    }
    Bytes b = TgaHeader(0, 1, 2, 2, 1, 8, 0, 32);
    b.U8(0x10).U8(0x20).U8(0x30).U8(0x00).U8(0xA0).U8(0xB0).U8(0xC0).U8(0xFF);  // B, G, R, A
    b.U8(1).U8(0);
    MDiskTGA reader(Write(dir, b), "tga");
    EXPECT_EQ(reader.GetColor(0), 0x302010u);
    EXPECT_EQ(reader.GetColor(1), 0xC0B0A0u);
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelValue(0, 0), 1u);
    EXPECT_EQ(dib.PixelValue(1, 0), 0u);
    // A true-colour file skips a map of 4-byte entries.
    Bytes rgb = TgaHeader(0, 2, 2, 1, 1, 24, 0, 32);
    rgb.Fill(8, 0xAA).U8(1).U8(2).U8(3);
    MDiskTGA skip(Write(dir, rgb), "tga");
    EXPECT_EQ(test::DecodeFull(skip).PixelRgb(0, 0), 0x030201u);
}

// The same picture with 24- and 32-bit map entries (the alpha of the entries ignored).
TEST(Tga, ThirtyTwoBitMapMatchesItsTwentyFourBitTwin) {
    MDiskTGA map24(test::Fixture("readers/tga/pal8.tga"), "tga");
    MDiskTGA map32(test::Fixture("readers/tga/pal8-map32.tga"), "tga");
    EXPECT_EQ(map32.GetPalette(), map24.GetPalette());
    EXPECT_EQ(test::DecodeFull(map32).Pixels(), test::DecodeFull(map24).Pixels());
}

TEST(Tga, OtherMapEntrySizesAreRefused) {
    testing::TempDir dir;
    for (unsigned bits : {0u, 8u, 12u, 31u, 48u}) {
        SCOPED_TRACE(bits);
        Bytes b = TgaHeader(0, 1, 2, 1, 1, 8, 0, bits).Fill(16, 0);
        try {
            MDiskTGA reader(Write(dir, b), "tga");
            ADD_FAILURE() << "accepted";
        } catch (const EInOutError& error) {
            EXPECT_STREQ(error.what(), "TGA format not supply");
        }
    }
    // Without a map the entry size is not looked at.
    Bytes rgb = TgaHeader(0, 2, 0, 1, 1, 24, 0, 0);
    rgb.U8(1).U8(2).U8(3);
    MDiskTGA reader(Write(dir, rgb), "tga");
    EXPECT_EQ(test::DecodeFull(reader).PixelRgb(0, 0), 0x030201u);
}

}  // namespace
}  // namespace pixelary
