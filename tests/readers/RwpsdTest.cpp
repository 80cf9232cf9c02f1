// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "core/Exception.h"
#include "readers/Rwpsd.h"

namespace pixelary {
namespace {

using test::Bytes;

// Header and empty sections (colour-mode data as given, no resources, no layers).
Bytes PsdHeader(unsigned channels, unsigned rows, unsigned columns, unsigned depth, unsigned mode,
                const Bytes& colourModeData = {}, unsigned version = 1) {
    Bytes b;
    b.Text("8BPS").U16BE(version).Fill(6, 0).U16BE(channels).U32BE(rows).U32BE(columns);
    b.U16BE(depth).U16BE(mode);
    b.U32BE(static_cast<std::uint32_t>(colourModeData.data.size())).Raw(colourModeData.data);
    b.U32BE(0).U32BE(0);
    return b;
}

std::string Write(const testing::TempDir& dir, const Bytes& b, const std::string& name = "t.psd") {
    const std::string path = dir.File(name);
    testing::WriteFile(path, b.data);
    return path;
}

void ExpectHeaderError(const std::string& path) {
    try {
        MDiskPSD reader(path, "psd");
        ADD_FAILURE() << "accepted";
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), "PSD header error");
    }
}

TEST(Psd, HeaderChecks) {
    testing::TempDir dir;
    ExpectHeaderError(Write(dir, PsdHeader(3, 1, 1, 8, 3, {}, 2).U16BE(0).Fill(3, 0)));
    Bytes wrong = PsdHeader(3, 1, 1, 8, 3).U16BE(0).Fill(3, 0);
    wrong.data[3] = 'X';
    ExpectHeaderError(Write(dir, wrong));
    // Layouts without a deliverable picture, and sides or channel counts beyond the limits.
    ExpectHeaderError(Write(dir, PsdHeader(3, 1, 1, 32, 3).U16BE(0).Fill(12, 0)));
    ExpectHeaderError(Write(dir, PsdHeader(2, 1, 1, 8, 3).U16BE(0).Fill(2, 0)));
    ExpectHeaderError(Write(dir, PsdHeader(3, 1, 1, 8, 4).U16BE(0).Fill(3, 0)));
    ExpectHeaderError(Write(dir, PsdHeader(3, 1, 1, 8, 9).U16BE(0).Fill(3, 0)));
    ExpectHeaderError(Write(dir, PsdHeader(1, 1, 1, 16, 2).U16BE(0).Fill(2, 0)));
    ExpectHeaderError(Write(dir, PsdHeader(1, 1, 1, 8, 0).U16BE(0).Fill(1, 0)));
    ExpectHeaderError(Write(dir, PsdHeader(3, 70000, 1, 8, 3)));
    ExpectHeaderError(Write(dir, PsdHeader(60, 1, 1, 8, 3)));
    EXPECT_THROW(MDiskPSD(Write(dir, Bytes{}.Text("8BPS")), "psd"), EReadError);
    ExpectHeaderError(test::Fixture("readers/psd/psd-depth-times-channels-overflow.psd"));
}

TEST(Psd, FixturesAgree) {
    MDiskPSD raw(test::Fixture("readers/psd/rgb-raw.psd"), "psd");
    MDiskPSD rle(test::Fixture("readers/psd/rgb-rle.psd"), "psd");
    MDiskPSD alpha(test::Fixture("readers/psd/rgba.psd"), "psd");
    EXPECT_EQ(raw.GetBitCount(), 24);
    EXPECT_EQ(alpha.GetBitCount(), 24);
    EXPECT_EQ(raw.GetXResolution(), 72);
    const Dib reference = test::DecodeFull(raw);
    EXPECT_EQ(test::DecodeFull(rle).Pixels(), reference.Pixels());
    EXPECT_EQ(test::DecodeFull(alpha).Pixels(), reference.Pixels());
    MDiskPSD grey(test::Fixture("readers/psd/grey8.psd"), "psd");
    EXPECT_EQ(grey.GetBitCount(), 8);
    EXPECT_EQ(grey.GetColor(77), 0x4D4D4Du);
    // The indexed picture (200 colours, palette from offset 30) stays near the true colours.
    MDiskPSD indexed(test::Fixture("readers/psd/indexed.psd"), "psd");
    const Dib pal = test::DecodeFull(indexed);
    int close = 0;
    for (int y = 0; y < 23; ++y) {
        for (int x = 0; x < 37; ++x) {
            const std::uint32_t a = pal.PixelRgb(x, y), b = reference.PixelRgb(x, y);
            close += std::abs(int(a & 0xFF) - int(b & 0xFF)) < 24 &&
                     std::abs(int(a >> 16) - int(b >> 16)) < 24;
        }
    }
    EXPECT_GT(close, 37 * 23 * 9 / 10);
}

// Deflated image data (2, and 3 with per-row prediction) is not PackBits.
TEST(Psd, ZipCompressionIsRefused) {
    ExpectHeaderError(test::Fixture("readers/psd/zip.psd"));
    ExpectHeaderError(test::Fixture("readers/psd/zip-predicted.psd"));
    testing::TempDir dir;
    for (unsigned compression : {2u, 3u, 4u}) {
        ExpectHeaderError(
            Write(dir, PsdHeader(1, 1, 4, 8, 1).U16BE(compression).U16BE(5).Fill(8, 0)));
    }
}

// Alpha and spot channels after the colour channels are not read; they do not change the picture.
TEST(Psd, ExtraChannelsAreIgnored) {
    for (const auto& [extra, plain] :
         {std::pair{"readers/psd/grey-alpha.psd", "readers/psd/grey8.psd"},
          std::pair{"readers/psd/cmyk-alpha.psd", "readers/psd/cmyk.psd"}}) {
        SCOPED_TRACE(extra);
        MDiskPSD with(test::Fixture(extra), "psd");
        MDiskPSD without(test::Fixture(plain), "psd");
        EXPECT_EQ(with.GetBitCount(), without.GetBitCount());
        EXPECT_EQ(test::DecodeFull(with).Pixels(), test::DecodeFull(without).Pixels());
    }
    testing::TempDir dir;
    // Compressed grey of 2 rows with two extra channels: the image data starts after the counts
    // of all three channels.
    Bytes b = PsdHeader(3, 2, 2, 8, 1).U16BE(1);
    for (int entry = 0; entry < 6; ++entry) b.U16BE(2);
    for (unsigned v : {7u, 9u, 100u, 101u, 102u, 103u}) b.U8(0xFF).U8(v);  // two copies each
    MDiskPSD grey(Write(dir, b), "psd");
    EXPECT_EQ(grey.GetBitCount(), 8);
    const Dib dib = test::DecodeFull(grey);
    EXPECT_EQ(dib.PixelValue(1, 0), 7u);
    EXPECT_EQ(dib.PixelValue(0, 1), 9u);
    // Indexed and bitmap pictures with an alpha channel.
    Bytes planes;
    for (unsigned i = 0; i < 768; ++i) planes.U8(i < 256 ? i : 0);
    MDiskPSD indexed(Write(dir, PsdHeader(2, 1, 1, 8, 2, planes).U16BE(0).U8(5).U8(0), "i.psd"),
                     "psd");
    EXPECT_EQ(test::DecodeFull(indexed).PixelRgb(0, 0), 0x050000u);
    MDiskPSD bitmap(Write(dir, PsdHeader(2, 1, 8, 1, 0).U16BE(0).U8(0x80).U8(0), "b.psd"), "psd");
    EXPECT_EQ(test::DecodeFull(bitmap).PixelRgb(0, 0), 0u);
}

// 16-bit samples are stored big-endian and read by their high byte.
TEST(Psd, SixteenBitSamplesByTheirHighByte) {
    for (const auto& [wide, narrow] :
         {std::pair{"readers/psd/rgb16-rle.psd", "readers/psd/rgb-raw.psd"},
          std::pair{"readers/psd/grey16.psd", "readers/psd/grey8.psd"}}) {
        SCOPED_TRACE(wide);
        MDiskPSD sixteen(test::Fixture(wide), "psd");
        MDiskPSD eight(test::Fixture(narrow), "psd");
        EXPECT_EQ(sixteen.GetBitCount(), eight.GetBitCount());
        EXPECT_EQ(test::DecodeFull(sixteen).Pixels(), test::DecodeFull(eight).Pixels());
    }
    testing::TempDir dir;
    Bytes rgb = PsdHeader(3, 1, 2, 16, 3).U16BE(0);
    rgb.U16BE(0x1234).U16BE(0x56FF).U16BE(0x9A00).U16BE(0xBC01).U16BE(0xDE80).U16BE(0xF07F);
    MDiskPSD words(Write(dir, rgb), "psd");
    const Dib dib = test::DecodeFull(words);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0x129ADEu);
    EXPECT_EQ(dib.PixelRgb(1, 0), 0x56BCF0u);
    Bytes cmyk = PsdHeader(4, 1, 1, 16, 4).U16BE(0).U16BE(0xFF00).U16BE(0x0011).U16BE(0xFFFF);
    MDiskPSD ink(Write(dir, cmyk.U16BE(0xFF22), "c.psd"), "psd");
    EXPECT_EQ(test::DecodeFull(ink).PixelRgb(0, 0), 0xFF00FFu);
}

TEST(Psd, BitmapModeIsOneBitWithOneBlack) {
    testing::TempDir dir;
    MDiskPSD reader(Write(dir, PsdHeader(1, 1, 8, 1, 0).U16BE(0).U8(0x80)), "psd");
    EXPECT_EQ(reader.GetBitCount(), 1);
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0u);
    EXPECT_EQ(dib.PixelRgb(1, 0), 0xFFFFFFu);
}

TEST(Psd, IndexedPaletteFromOffsetThirty) {
    testing::TempDir dir;
    Bytes planes;
    for (int plane = 0; plane < 3; ++plane) {
        for (unsigned i = 0; i < 256; ++i) planes.U8(plane == 0 ? i : plane == 1 ? 255 - i : 9);
    }
    MDiskPSD reader(Write(dir, PsdHeader(1, 1, 1, 8, 2, planes).U16BE(0).U8(4)), "psd");
    EXPECT_EQ(reader.GetColor(4), 0x04FB09u);
    EXPECT_EQ(test::DecodeFull(reader).PixelValue(0, 0), 4u);
}

TEST(Psd, CmykIsConvertedFromInvertedInk) {
    testing::TempDir dir;
    Bytes b = PsdHeader(4, 1, 1, 8, 4).U16BE(0).U8(255).U8(0).U8(255).U8(255);
    MDiskPSD reader(Write(dir, b), "psd");
    EXPECT_EQ(test::DecodeFull(reader).PixelRgb(0, 0), 0xFF00FFu);
}

TEST(Psd, CompressedRowsFollowTheByteCountTable) {
    testing::TempDir dir;
    // RGB of 10 rows whose byte counts alternate 5 and 2, so every row starts after the sum of
    // the counts before it; each row holds its number plus 100 x the channel.
    Bytes b = PsdHeader(3, 10, 4, 8, 3).U16BE(1);
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 10; ++r) b.U16BE(r % 2 ? 2 : 5);
    }
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 10; ++r) {
            const unsigned v = static_cast<unsigned>(100 * c + r);
            if (r % 2) {
                b.U8(0xFD).U8(v);  // -3: four copies
            } else {
                b.U8(3).U8(v).U8(v).U8(v).U8(v);  // four literals
            }
        }
    }
    MDiskPSD reader(Write(dir, b), "psd");
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(3, 3), (3u << 16) | (103u << 8) | 203u);
    EXPECT_EQ(dib.PixelRgb(0, 8), (8u << 16) | (108u << 8) | 208u);
}

TEST(Psd, HostileCountsAreRefused) {
    testing::TempDir dir;
    // A byte count larger than the row buffer, and a table longer than the file.
    Bytes big = PsdHeader(1, 1, 4, 8, 1).U16BE(1).U16BE(60000).Fill(16, 0);
    ExpectHeaderError(Write(dir, big));
    Bytes table = PsdHeader(3, 65535, 65535, 8, 3).U16BE(1).Fill(100, 0);
    EXPECT_THROW(MDiskPSD(Write(dir, table, "t2.psd"), "psd"), EReadError);
    // Runs longer than the row, and input that ends mid-literal, stay inside the row.
    Bytes runs = PsdHeader(1, 1, 4, 8, 1).U16BE(1).U16BE(4).U8(0x81).U8(7).U8(10).U8(1);
    MDiskPSD reader(Write(dir, runs, "r.psd"), "psd");
    EXPECT_EQ(test::DecodeFull(reader).PixelValue(3, 0), 7u);
}

}  // namespace
}  // namespace pixelary
