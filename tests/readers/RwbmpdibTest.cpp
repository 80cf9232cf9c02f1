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

std::string Write(const testing::TempDir& dir, const Bytes& bytes,
                  const std::string& name = "t.bmp") {
    const std::string path = dir.File(name);
    testing::WriteFile(path, bytes.data);
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
        MDiskBMPDIB reader(Fixture(std::string("readers/bmp/") + name), "bmp");
        const Dib expected = Dib::LoadFromFile(Fixture(std::string("readers/bmp/") + name));
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
    MDiskBMPDIB os2(Fixture("readers/bmp/os2-rgb24.bmp"), "bmp");
    MDiskBMPDIB windows(Fixture("readers/bmp/rgb24.bmp"), "bmp");
    EXPECT_EQ(os2.GetXResolution(), 0);  // the resolution fields read 72
    EXPECT_EQ(test::DecodeFull(os2).Pixels(), test::DecodeFull(windows).Pixels());
    MDiskBMPDIB pal(Fixture("readers/bmp/os2-pal8.bmp"), "bmp");
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
    testing::TempDir dir;
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
    ExpectRefused(Fixture("readers/bmp/v5-rgb24.bmp"), "BMP format not supply");
    ExpectRefused(Fixture("readers/bmp/rle8.bmp"), "BMP format not supply");
    ExpectRefused(Fixture("readers/bmp/bitfields16.bmp"), "BMP format not supply");
}

TEST(Bmp, HostileSizesAreRefusedBeforeAnyAllocation) {
    testing::TempDir dir;
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
    testing::TempDir dir;
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
    testing::TempDir dir;
    Bytes b = WindowsBmp(3, 1, 16, 0, 0);
    b.U16(0x7FFF).U16(0x0421).U16(0x8000).Fill(2, 0);
    MDiskBMPDIB reader(Write(dir, b), "bmp");
    EXPECT_EQ(reader.GetBitCount(), 24);
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelRgb(1, 0), 0x0F0F0Fu);
    EXPECT_EQ(dib.PixelRgb(2, 0), 0u);  // bit 15 ignored
    MDiskBMPDIB ramp(Fixture("readers/bmp/rgb555.bmp"), "bmp");
    const Dib ramp_dib = test::DecodeFull(ramp);
    // Bottom row stored first: top-left is x 0, y 6 of the generator: red 0, green 31, blue 6.
    EXPECT_EQ(ramp_dib.PixelRgb(0, 0), 0x00FF30u);
}

TEST(Bmp, TopDownAndTruncatedFiles) {
    testing::TempDir dir;
    Bytes top_down = WindowsBmp(1, -1, 24, 0, 0);
    top_down.Fill(4, 9);
    MDiskBMPDIB reader(Write(dir, top_down), "bmp");
    EXPECT_EQ(reader.GetHeight(), 1);
    EXPECT_EQ(test::DecodeFull(reader).PixelRgb(0, 0), 0x090909u);
    Bytes truncated = WindowsBmp(4, 4, 24, 0, 0);
    truncated.Fill(40, 1);
    MDiskBMPDIB short_reader(Write(dir, truncated, "s.bmp"), "bmp");
    Dib dib(4, 4, 24);
    short_reader.StretchBegin(0, 0, 4, 4, 4, 4);
    EXPECT_THROW(short_reader.StretchLines(dib, 4), EReadError);
}

// Files whose rows are stored top row first show the same picture as their bottom-up twins.
TEST(Bmp, TopDownFilesAreShownUpright) {
    for (const char* twin : {"rgb24.bmp", "pal8.bmp"}) {
        SCOPED_TRACE(twin);
        MDiskBMPDIB top_down(Fixture(std::string("readers/bmp/top-down-") + twin), "bmp");
        MDiskBMPDIB bottom_up(Fixture(std::string("readers/bmp/") + twin), "bmp");
        ASSERT_EQ(top_down.GetHeight(), 23);
        EXPECT_EQ(test::DecodeFull(top_down).Pixels(), test::DecodeFull(bottom_up).Pixels());
        EXPECT_EQ(test::Decode(top_down, 11, 7).Pixels(), test::Decode(bottom_up, 11, 7).Pixels());
    }
    // Three rows of one grey each, stored top first: rows 0 and 2 of a two-row thumbnail.
    testing::TempDir dir;
    Bytes b = WindowsBmp(1, -3, 8, 0, 3);
    b.U32(0x000000).U32(0x808080).U32(0xFFFFFF);
    b.U8(0).Fill(3, 0).U8(1).Fill(3, 0).U8(2).Fill(3, 0);
    MDiskBMPDIB reader(Write(dir, b), "bmp");
    const Dib thumb = test::Decode(reader, 1, 2);
    EXPECT_EQ(thumb.PixelRgb(0, 0), 0x000000u);
    EXPECT_EQ(thumb.PixelRgb(0, 1), 0x808080u);
}

// The pixel-data offset of the file header places the rows: past a colour table that a 24-bit
// file carries, or past a gap after the palette.
TEST(Bmp, RowsStartAtTheStoredDataOffset) {
    MDiskBMPDIB rgb24(Fixture("readers/bmp/rgb24.bmp"), "bmp");
    MDiskBMPDIB pal8(Fixture("readers/bmp/pal8.bmp"), "bmp");
    const Dib rgb24_rows = test::DecodeFull(rgb24);
    const Dib pal8_rows = test::DecodeFull(pal8);
    MDiskBMPDIB table(Fixture("readers/bmp/rgb24-colour-table.bmp"), "bmp");
    EXPECT_EQ(table.GetBitCount(), 24);
    EXPECT_EQ(test::DecodeFull(table).Pixels(), rgb24_rows.Pixels());
    MDiskBMPDIB gap(Fixture("readers/bmp/pal8-gap.bmp"), "bmp");
    EXPECT_EQ(test::DecodeFull(gap).Pixels(), pal8_rows.Pixels());
    EXPECT_EQ(gap.GetPalette(), pal8.GetPalette());
}

// An offset of 0, one inside the headers or one at or past the end of the file is no offset:
// the rows follow the headers and palette.
TEST(Bmp, ImpossibleDataOffsetsAreIgnored) {
    testing::TempDir dir;
    const std::uint32_t header_end = 14 + 40;
    for (std::uint32_t offset : {0u, 13u, header_end - 1, header_end + 8, 0xFFFFFFF0u}) {
        SCOPED_TRACE(offset);
        Bytes b = WindowsBmp(2, 1, 24, 0, 0);
        b.data[10] = static_cast<std::uint8_t>(offset);
        b.data[11] = static_cast<std::uint8_t>(offset >> 8);
        b.data[12] = static_cast<std::uint8_t>(offset >> 16);
        b.data[13] = static_cast<std::uint8_t>(offset >> 24);
        b.U8(1).U8(2).U8(3).U8(4).U8(5).U8(6).Fill(2, 0);
        MDiskBMPDIB reader(Write(dir, b), "bmp");
        const Dib dib = test::DecodeFull(reader);
        EXPECT_EQ(dib.PixelRgb(0, 0), 0x030201u);
        EXPECT_EQ(dib.PixelRgb(1, 0), 0x060504u);
    }
    // An offset inside the file but with too few rows behind it fails while reading rows.
    Bytes late = WindowsBmp(2, 2, 24, 0, 0);
    late.data[10] = header_end + 12;
    late.Fill(16, 7);
    MDiskBMPDIB reader(Write(dir, late, "late.bmp"), "bmp");
    Dib dib(2, 2, 24);
    reader.StretchBegin(0, 0, 2, 2, 2, 2);
    EXPECT_THROW(reader.StretchLines(dib, 2), EReadError);
}

}  // namespace
}  // namespace pixelary
