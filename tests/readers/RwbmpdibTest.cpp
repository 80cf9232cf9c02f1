// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "core/Exception.h"
#include "readers/Rwbmpdib.h"

namespace pixelary {
namespace {

using test::Bytes;
using test::Fixture;

// A 40-byte-header bitmap: header fields, then palette entries and rows as given.
Bytes WindowsBmp(std::int32_t width, std::int32_t height, unsigned bits, std::uint32_t compression,
                 std::uint32_t colorsUsed, std::uint32_t headerSize = 40) {
    Bytes b;
    b.Text("BM").U32(0).U32(0).U32(0);
    b.U32(headerSize)
        .U32(static_cast<std::uint32_t>(width))
        .U32(static_cast<std::uint32_t>(height));
    b.U16(1).U16(bits).U32(compression).U32(0).U32(3780).U32(3780).U32(colorsUsed).U32(0);
    return b;
}

std::string Write(const test::TempDir& dir, const Bytes& bytes, const std::string& name = "t.bmp") {
    const std::string path = dir.File(name);
    test::WriteFile(path, bytes.data);
    return path;
}

void ExpectRefused(const std::string& path, const char* message) {
    try {
        MDiskBMPDIB reader(path, "bmp");
        ADD_FAILURE() << "accepted " << path;
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), message);
    }
}

TEST(Bmp, FixturesDecodeLikeTheBitmapLoader) {
    for (const char* name : {"rgb24.bmp", "pal8.bmp", "pal4.bmp", "mono1.bmp", "bgra32.bmp"}) {
        SCOPED_TRACE(name);
        MDiskBMPDIB reader(Fixture(std::string("bmp/") + name), "bmp");
        const Dib expected = Dib::LoadFromFile(Fixture(std::string("bmp/") + name));
        ASSERT_EQ(reader.GetWidth(), 37);
        ASSERT_EQ(reader.GetHeight(), 23);
        ASSERT_EQ(reader.GetBitCount(), expected.BitCount());
        const Dib dib = test::DecodeFull(reader);
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 37; ++x) ASSERT_EQ(dib.PixelRgb(x, y), expected.PixelRgb(x, y));
        }
    }
}

TEST(Bmp, Os2FilesMatchTheirWindowsTwin) {
    MDiskBMPDIB os2(Fixture("bmp/os2-rgb24.bmp"), "bmp");
    MDiskBMPDIB windows(Fixture("bmp/rgb24.bmp"), "bmp");
    EXPECT_EQ(os2.GetXResolution(), 0);  // the resolution fields read 72
    EXPECT_EQ(test::DecodeFull(os2).Pixels(), test::DecodeFull(windows).Pixels());
    MDiskBMPDIB pal(Fixture("bmp/os2-pal8.bmp"), "bmp");
    EXPECT_EQ(pal.GetBitCount(), 8);
    EXPECT_EQ(pal.GetColorCount(), 256);
    const Dib dib = test::DecodeFull(pal);
    const Dib twin = test::DecodeFull(windows);
    int close = 0;  // quantised to 200 colours: near the true colours
    for (int y = 0; y < 23; ++y) {
        for (int x = 0; x < 37; ++x) {
            const std::uint32_t a = dib.PixelRgb(x, y), b = twin.PixelRgb(x, y);
            close += std::abs(int(a & 0xFF) - int(b & 0xFF)) < 24 &&
                     std::abs(int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF)) < 24;
        }
    }
    EXPECT_GT(close, 37 * 23 * 9 / 10);
}

TEST(Bmp, HeaderRefusals) {
    test::TempDir dir;
    Bytes ba = WindowsBmp(2, 2, 24, 0, 0);
    ba.data[1] = 'A';
    ExpectRefused(Write(dir, ba.Fill(16, 0)), "BMP Header error");
    for (std::uint32_t size : {64u, 108u, 124u, 0u, 41u}) {
        ExpectRefused(Write(dir, WindowsBmp(2, 2, 24, 0, 0, size).Fill(128, 0)),
                      "BMP format not supply");
    }
    for (std::uint32_t compression : {1u, 2u, 3u}) {
        ExpectRefused(Write(dir, WindowsBmp(2, 2, 8, compression, 0).Fill(1100, 0)),
                      "BMP format not supply");
    }
    for (unsigned bits : {0u, 2u, 7u, 64u}) {
        ExpectRefused(Write(dir, WindowsBmp(2, 2, bits, 0, 0).Fill(64, 0)),
                      "BMP format not supply");
    }
    ExpectRefused(Fixture("bmp/v5-rgb24.bmp"), "BMP format not supply");
    ExpectRefused(Fixture("bmp/rle8.bmp"), "BMP format not supply");
    ExpectRefused(Fixture("bmp/bitfields16.bmp"), "BMP format not supply");
}

TEST(Bmp, HostileSizesAreRefusedBeforeAnyAllocation) {
    test::TempDir dir;
    // A palette larger than 8 bits can index, and sides beyond 65535.
    ExpectRefused(Write(dir, WindowsBmp(2, 2, 8, 0, 0xFFFFFFFF)), "BMP format not supply");
    ExpectRefused(Write(dir, WindowsBmp(2, 2, 8, 0, 257)), "BMP format not supply");
    ExpectRefused(Write(dir, WindowsBmp(0x7FFFFFFF, 2, 32, 0, 0)), "BMP format not supply");
    ExpectRefused(Write(dir, WindowsBmp(2, -0x7FFFFFFF, 32, 0, 0)), "BMP format not supply");
    ExpectRefused(Write(dir, WindowsBmp(-70000, 2, 32, 0, 0)), "BMP format not supply");
    // Files shorter than their headers or palettes fail in the stream read.
    EXPECT_THROW(MDiskBMPDIB(Write(dir, Bytes{}.Text("BM")), "bmp"), EReadError);
    EXPECT_THROW(MDiskBMPDIB(Write(dir, WindowsBmp(2, 2, 8, 0, 0).Fill(100, 0)), "bmp"),
                 EReadError);
    EXPECT_THROW(MDiskBMPDIB("/no/such/file.bmp", "bmp"), EFOpenError);
}

TEST(Bmp, PaletteSizeSetsTheRowOffset) {
    test::TempDir dir;
    // 8 bits with 16 colours used: 16 entries, rows from offset 118.
    Bytes b = WindowsBmp(1, 1, 8, 0, 16);
    for (unsigned i = 0; i < 16; ++i) b.U32(i * 0x010101);
    b.U8(7).Fill(3, 0);
    ASSERT_EQ(b.data.size(), 122u);
    MDiskBMPDIB reader(Write(dir, b), "bmp");
    EXPECT_EQ(reader.GetColorCount(), 16);
    EXPECT_EQ(test::DecodeFull(reader).PixelValue(0, 0), 7u);
    EXPECT_EQ(reader.GetPalette()[7], 0x070707u);
    // Colours used 0 at 8 bits: 256 entries, rows from 1078.
    Bytes full = WindowsBmp(1, 1, 8, 0, 0);
    full.Fill(1024, 0).U8(200).Fill(3, 0);
    MDiskBMPDIB reader256(Write(dir, full, "f.bmp"), "bmp");
    EXPECT_EQ(reader256.GetColorCount(), 256);
    EXPECT_EQ(test::DecodeFull(reader256).PixelValue(0, 0), 200u);
}

TEST(Bmp, SixteenBitPixelsAreDeliveredAsTwentyFour) {
    test::TempDir dir;
    Bytes b = WindowsBmp(3, 1, 16, 0, 0);
    b.U16(0x7FFF).U16(0x0421).U16(0x8000).Fill(2, 0);
    MDiskBMPDIB reader(Write(dir, b), "bmp");
    EXPECT_EQ(reader.GetBitCount(), 24);
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelRgb(1, 0), 0x0F0F0Fu);
    EXPECT_EQ(dib.PixelRgb(2, 0), 0u);  // bit 15 ignored
    MDiskBMPDIB ramp(Fixture("bmp/rgb555.bmp"), "bmp");
    const Dib ramp_dib = test::DecodeFull(ramp);
    // Bottom row stored first: top-left is x 0, y 6 of the generator: red 0, green 31, blue 6.
    EXPECT_EQ(ramp_dib.PixelRgb(0, 0), 0x00FF30u);
}

TEST(Bmp, TopDownAndTruncatedFiles) {
    test::TempDir dir;
    Bytes top_down = WindowsBmp(1, -1, 24, 0, 0);
    top_down.Fill(4, 9);
    MDiskBMPDIB reader(Write(dir, top_down), "bmp");
    EXPECT_EQ(reader.GetHeight(), -1);
    EXPECT_THROW(reader.StretchBegin(0, 0, 1, -1, 1, 1), EIntError);
    Bytes truncated = WindowsBmp(4, 4, 24, 0, 0);
    truncated.Fill(40, 1);
    MDiskBMPDIB short_reader(Write(dir, truncated, "s.bmp"), "bmp");
    Dib dib(4, 4, 24);
    short_reader.StretchBegin(0, 0, 4, 4, 4, 4);
    EXPECT_THROW(short_reader.StretchLines(dib, 4), EReadError);
}

}  // namespace
}  // namespace pixelary
