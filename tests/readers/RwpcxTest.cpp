// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "core/Exception.h"
#include "readers/Rwpcx.h"

namespace pixelary {
namespace {

using test::Bytes;

// A 128-byte header; map holds up to 16 entries of red, green, blue.
Bytes PcxHeader(unsigned width, unsigned height, unsigned bits, unsigned planes,
                unsigned bytesPerLine, const std::vector<std::uint8_t>& map = {},
                unsigned version = 5, unsigned encoding = 1) {
    Bytes b;
    b.U8(10).U8(version).U8(encoding).U8(bits).U16(0).U16(0).U16(width - 1).U16(height - 1);
    b.U16(300).U16(150);
    std::vector<std::uint8_t> colours = map;
    colours.resize(48, 0);
    b.Raw(colours).U8(0).U8(planes).U16(bytesPerLine).Fill(60, 0);
    return b;
}

std::string Write(const testing::TempDir& dir, const Bytes& b) {
    const std::string path = dir.File("t.pcx");
    testing::WriteFile(path, b.data);
    return path;
}

void ExpectHeaderError(const std::string& path) {
    try {
        MDiskPCX reader(path, "pcx");
        ADD_FAILURE() << "accepted";
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), "PCX Header error");
    }
}

TEST(Pcx, HeaderChecks) {
    testing::TempDir dir;
    ExpectHeaderError(Write(dir, PcxHeader(2, 2, 8, 1, 2, {}, 3)));
    ExpectHeaderError(Write(dir, PcxHeader(2, 2, 8, 1, 2, {}, 5, 0)));
    // Layouts the conversion does not know, and plane lines shorter than the width.
    ExpectHeaderError(Write(dir, PcxHeader(2, 2, 2, 1, 2)));
    ExpectHeaderError(Write(dir, PcxHeader(2, 2, 8, 4, 2)));
    ExpectHeaderError(Write(dir, PcxHeader(2, 2, 8, 0, 2)));
    ExpectHeaderError(Write(dir, PcxHeader(100, 2, 8, 1, 99)));
    ExpectHeaderError(Write(dir, PcxHeader(17, 2, 1, 4, 2)));
    ExpectHeaderError(Write(dir, PcxHeader(100, 2, 8, 3, 0)));
    EXPECT_THROW(MDiskPCX(Write(dir, Bytes{}.U8(10).U8(5)), "pcx"), EReadError);
}

TEST(Pcx, DescriptionAndHeaderPalette) {
    testing::TempDir dir;
    // 1 bit, header map of zeros: black on white.
    Bytes b = PcxHeader(8, 1, 1, 1, 2);
    b.U8(0xC1).U8(0x7F).U8(0);
    MDiskPCX reader(Write(dir, b), "pcx");
    EXPECT_EQ(reader.GetWidth(), 8);
    EXPECT_EQ(reader.GetXResolution(), 300);
    EXPECT_EQ(reader.GetYResolution(), 150);
    EXPECT_EQ(reader.GetColorCount(), 2);
    EXPECT_EQ(reader.GetColor(0), 0u);
    EXPECT_EQ(reader.GetColor(1), 0xFFFFFFu);
    const Dib zeroed = test::DecodeFull(reader);
    EXPECT_EQ(zeroed.PixelRgb(0, 0), 0u);
    EXPECT_EQ(zeroed.PixelRgb(1, 0), 0xFFFFFFu);
    // Any two equal entries, not only zeros.
    Bytes grey = PcxHeader(8, 1, 1, 1, 2, {90, 90, 90, 90, 90, 90});
    grey.U8(0xC1).U8(0x7F).U8(0);
    MDiskPCX equal(Write(dir, grey), "pcx");
    EXPECT_EQ(equal.GetColor(0), 0u);
    EXPECT_EQ(equal.GetColor(1), 0xFFFFFFu);
    // A four-plane file whose map is zeroed keeps its entries: only two-colour files are helped.
    Bytes planes = PcxHeader(8, 1, 1, 4, 1);
    planes.Fill(4, 0);
    MDiskPCX sixteen(Write(dir, planes), "pcx");
    EXPECT_EQ(sixteen.GetColor(1), 0u);
    Bytes coloured = PcxHeader(8, 1, 1, 1, 2, {1, 2, 3, 200, 100, 50});
    coloured.U8(0x80).U8(0);
    MDiskPCX two(Write(dir, coloured), "pcx");
    EXPECT_EQ(two.GetColor(0), 0x010203u);
    EXPECT_EQ(test::DecodeFull(two).PixelRgb(0, 0), 0xC86432u);
}

TEST(Pcx, SixteenColourPlanesFormNibbles) {
    testing::TempDir dir;
    Bytes b = PcxHeader(2, 1, 1, 4, 2);
    for (int plane = 0; plane < 4; ++plane) b.U8(0x80).U8(0);
    MDiskPCX reader(Write(dir, b), "pcx");
    EXPECT_EQ(reader.GetBitCount(), 4);
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.Row(0)[0], 0xF0);
}

TEST(Pcx, TwentyFourBitOddWidthKeepsPlanesAligned) {
    testing::TempDir dir;
    Bytes b = PcxHeader(3, 1, 8, 3, 4);  // bytes per line = width + 1
    b.U8(10).U8(11).U8(12).U8(0).U8(20).U8(21).U8(22).U8(0).U8(30).U8(31).U8(32).U8(0);
    MDiskPCX reader(Write(dir, b), "pcx");
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0x0A141Eu);
    EXPECT_EQ(dib.PixelRgb(2, 0), 0x0C1620u);
}

TEST(Pcx, EightBitPaletteFromTheEnd) {
    testing::TempDir dir;
    Bytes b = PcxHeader(2, 1, 8, 1, 2);
    b.U8(0xC2).U8(5).U8(12);  // a run of two 5s
    for (unsigned i = 0; i < 256; ++i) b.U8(i).U8(0).U8(255 - i);
    MDiskPCX reader(Write(dir, b), "pcx");
    EXPECT_EQ(reader.GetColor(5), 0x0500FAu);
    EXPECT_EQ(test::DecodeFull(reader).PixelValue(1, 0), 5u);
}

TEST(Pcx, RunsCrossingTheRowEndAreDropped) {
    testing::TempDir dir;
    // Row 0: a run of 5 with 3 bytes left; row 1 starts with the next code byte.
    Bytes b = PcxHeader(3, 4, 8, 1, 3);
    b.U8(0xC5).U8(7).U8(1).U8(2).U8(3).U8(0xC4).U8(9).U8(4).U8(4).U8(4);
    for (unsigned i = 0; i < 256; ++i) b.U8(i).U8(i).U8(i);
    const std::string path = Write(dir, b);
    MDiskPCX all(path, "pcx");
    const Dib full = test::DecodeFull(all);
    EXPECT_EQ(full.PixelValue(2, 0), 7u);
    EXPECT_EQ(full.PixelValue(0, 1), 1u);
    EXPECT_EQ(full.PixelValue(2, 2), 9u);
    EXPECT_EQ(full.PixelValue(0, 3), 4u);
    // Sampling rows 0 and 2 skips row 1 by counting and finds the same row 2.
    MDiskPCX sampled(path, "pcx");
    const Dib half = test::Decode(sampled, 3, 2);
    EXPECT_EQ(half.PixelValue(0, 0), 7u);
    EXPECT_EQ(half.PixelValue(0, 1), 9u);
}

TEST(Pcx, RowsAboveTheLastDecodedRewind) {
    MDiskPCX reader(test::Fixture("readers/pcx/pal8.pcx"), "pcx");
    const Dib first = test::DecodeFull(reader);
    const Dib again = test::DecodeFull(reader);
    EXPECT_EQ(first.Pixels(), again.Pixels());
}

TEST(Pcx, HugePictureFromATinyFileEndsQuickly) {
    testing::TempDir dir;
    // 65535 x 65535 at 24 bits: the data ends at once, so every row is zeros without a hang.
    MDiskPCX reader(Write(dir, PcxHeader(65535, 65535, 8, 3, 65535)), "pcx");
    const Dib dib = test::Decode(reader, 94, 94);
    EXPECT_EQ(dib.PixelRgb(93, 93), 0u);
}

}  // namespace
}  // namespace pixelary
