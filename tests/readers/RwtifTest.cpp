// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <map>

#include "ReaderTestSupport.h"
#include "core/Exception.h"
#include "readers/Rwpsd.h"
#include "readers/Rwtif.h"

namespace pixelary {
namespace {

using test::Bytes;

// A TIFF file built in memory: one directory at offset 8, then a data area.
class TiffBuilder {
  public:
    explicit TiffBuilder(bool bigEndian = false) : big_(bigEndian) {}
    // A tag whose value fits its field (SHORT is stored in the field's first two bytes).
    TiffBuilder& Tag(unsigned tag, unsigned type, std::uint32_t count, std::uint32_t value) {
        tags_[tag] = {type, count, value, -1};
        return *this;
    }
    // A tag whose data lies in the data area at the given offset into it.
    TiffBuilder& TagAt(unsigned tag, unsigned type, std::uint32_t count, int dataOffset) {
        tags_[tag] = {type, count, 0, dataOffset};
        return *this;
    }
    TiffBuilder& Data(const Bytes& bytes) {
        data_ = bytes.data;
        return *this;
    }
    std::uint32_t DataStart() const {
        return 8 + 2 + 12 * static_cast<std::uint32_t>(tags_.size()) + 4;
    }
    std::vector<std::uint8_t> Build() const {
        Bytes b;
        b.Text(big_ ? "MM" : "II");
        U16(b, 42);
        U32(b, 8);
        U16(b, static_cast<unsigned>(tags_.size()));
        for (const auto& [tag, t] : tags_) {
            U16(b, tag);
            U16(b, t.type);
            U32(b, t.count);
            if (t.data_offset >= 0) {
                U32(b, DataStart() + static_cast<std::uint32_t>(t.data_offset));
            } else if (t.type == 3 && t.count == 1) {
                U16(b, t.value);
                U16(b, 0);
            } else {
                U32(b, t.value);
            }
        }
        U32(b, 0);
        b.Raw(data_);
        return b.data;
    }
    void U16(Bytes& b, unsigned v) const { big_ ? b.U16BE(v) : b.U16(v); }
    void U32(Bytes& b, std::uint32_t v) const { big_ ? b.U32BE(v) : b.U32(v); }

  private:
    struct TagValue {
        unsigned type;
        std::uint32_t count;
        std::uint32_t value;
        int data_offset;
    };
    bool big_;
    std::map<unsigned, TagValue> tags_;
    std::vector<std::uint8_t> data_;
};

// A w x h picture of the given layout whose single strip is the data area's start.
TiffBuilder Picture(unsigned w, unsigned h, unsigned bits, unsigned samples, unsigned photometric,
                    bool bigEndian = false) {
    TiffBuilder t(bigEndian);
    t.Tag(256, 3, 1, w).Tag(257, 4, 1, h).Tag(259, 3, 1, 1).Tag(262, 3, 1, photometric);
    t.Tag(277, 3, 1, samples).TagAt(273, 4, 1, 0);
    if (samples == 1) t.Tag(258, 3, 1, bits);
    return t;
}

std::string Write(const testing::TempDir& dir, const TiffBuilder& t,
                  const std::string& name = "t.tif") {
    const std::string path = dir.File(name);
    testing::WriteFile(path, t.Build());
    return path;
}

void ExpectRefused(const std::string& path) {
    try {
        MDiskTIF reader(path, "tif");
        ADD_FAILURE() << "accepted " << path;
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), "Tiff format not supply");
    }
}

TEST(Tif, RefusedVariants) {
    for (const char* name :
         {"readers/tif/lzw.tif", "readers/tif/packbits.tif", "readers/tif/palette.tif"}) {
        ExpectRefused(test::Fixture(name));
    }
    testing::TempDir dir;
    for (unsigned compression : {5u, 7u, 32773u}) {
        TiffBuilder t = Picture(8, 1, 1, 1, 1);
        t.Tag(259, 3, 1, compression).Data(Bytes{}.Fill(1, 0));
        ExpectRefused(Write(dir, t));
    }
    TiffBuilder no_compression = Picture(8, 1, 1, 1, 1);
    no_compression.Tag(259, 3, 0, 0);  // count 0: the value 0 is taken, as without the tag
    ExpectRefused(Write(dir, no_compression.Data(Bytes{}.Fill(1, 0))));
    Bytes bad_version;
    bad_version.Text("II").U16(43).U32(8).Fill(20, 0);
    testing::WriteFile(dir.File("v.tif"), bad_version.data);
    ExpectRefused(dir.File("v.tif"));
    // No strip offsets, a width beyond the limit, too few strips for the rows.
    TiffBuilder no_strips(false);
    no_strips.Tag(256, 3, 1, 8).Tag(257, 3, 1, 1).Tag(259, 3, 1, 1).Tag(262, 3, 1, 1);
    ExpectRefused(Write(dir, no_strips));
    TiffBuilder wide = Picture(70000, 1, 1, 1, 1);
    wide.Tag(256, 4, 1, 70000);
    ExpectRefused(Write(dir, wide));
    TiffBuilder few = Picture(8, 10, 1, 1, 1);
    few.Tag(278, 3, 1, 2);
    ExpectRefused(Write(dir, few.Data(Bytes{}.Fill(10, 0))));
}

// What the rows cannot be delivered from without a decoder or a colour model goes to the library
// reader: 32-bit grey, CIELab, inks other than CMYK, bits stored least significant first.
TEST(Tif, LayoutsWithoutAPlainConversionAreRefused) {
    for (const char* name : {"readers/tif/grey32.tif", "readers/tif/lab.tif",
                             "readers/tif/inkset-not-cmyk.tif", "readers/tif/lsb-first.tif"}) {
        SCOPED_TRACE(name);
        ExpectRefused(test::Fixture(name));
    }
    testing::TempDir dir;
    // Palette, transparency mask, YCbCr, CIELab, ICC Lab, ITU Lab, LogL.
    for (unsigned photometric : {3u, 4u, 6u, 8u, 9u, 10u, 32844u}) {
        SCOPED_TRACE(photometric);
        TiffBuilder t = Picture(1, 1, 8, 3, photometric);
        t.TagAt(258, 3, 3, 8).TagAt(273, 4, 1, 0);
        ExpectRefused(Write(dir, t.Data(Bytes{}.Fill(8, 0).U16(8).U16(8).U16(8))));
    }
    // Grey of 2 and 16 bits, 4-bit grey with an interleaved extra sample, RGB of 16 bits.
    ExpectRefused(Write(dir, Picture(8, 1, 2, 1, 1).Data(Bytes{}.Fill(2, 0))));
    ExpectRefused(Write(dir, Picture(1, 1, 16, 1, 1).Data(Bytes{}.Fill(2, 0))));
    TiffBuilder grey_alpha = Picture(2, 1, 4, 2, 1);
    grey_alpha.Tag(258, 3, 2, 0x00040004);  // two short values fit the field
    ExpectRefused(Write(dir, grey_alpha.Data(Bytes{}.Fill(2, 0))));
    TiffBuilder rgb16 = Picture(1, 1, 16, 3, 2);
    rgb16.TagAt(258, 3, 3, 0).TagAt(273, 4, 1, 6);
    ExpectRefused(Write(dir, rgb16.Data(Bytes{}.U16(16).U16(16).U16(16).Fill(6, 0))));
    // Samples of unequal sizes, signed and floating-point samples, an unknown planar layout.
    TiffBuilder unequal = Picture(1, 1, 8, 3, 2);
    unequal.TagAt(258, 3, 3, 0).TagAt(273, 4, 1, 6);
    ExpectRefused(Write(dir, unequal.Data(Bytes{}.U16(8).U16(8).U16(16).Fill(4, 0))));
    for (unsigned format : {2u, 3u}) {
        TiffBuilder signed_samples = Picture(1, 1, 8, 3, 2);
        signed_samples.TagAt(258, 3, 3, 0).TagAt(273, 4, 1, 6).Tag(339, 3, 1, format);
        ExpectRefused(Write(dir, signed_samples.Data(Bytes{}.U16(8).U16(8).U16(8).Fill(3, 0))));
    }
    TiffBuilder layout3 = Picture(1, 1, 8, 1, 1);
    ExpectRefused(Write(dir, layout3.Tag(284, 3, 1, 3).Data(Bytes{}.U8(0))));
}

TEST(Tif, BigEndianAndAnyOtherByteOrderMark) {
    MDiskTIF msb(test::Fixture("readers/tif/rgb24-msb.tif"), "tif");
    MDiskTIF lsb(test::Fixture("readers/tif/rgb24.tif"), "tif");
    EXPECT_EQ(test::DecodeFull(msb).Pixels(), test::DecodeFull(lsb).Pixels());
    testing::TempDir dir;
    std::vector<std::uint8_t> bytes = Picture(8, 1, 1, 1, 1, true).Data(Bytes{}.U8(0xF0)).Build();
    bytes[0] = 'X';  // not "II": read big-endian
    bytes[1] = 'Y';
    testing::WriteFile(dir.File("x.tif"), bytes);
    MDiskTIF reader(dir.File("x.tif"), "tif");
    EXPECT_EQ(reader.GetWidth(), 8);
    EXPECT_EQ(test::DecodeFull(reader).PixelValue(0, 0), 1u);
}

TEST(Tif, BilevelPhotometricSetsWhite) {
    testing::TempDir dir;
    // White is zero: stored 0 bits are delivered as 1, which is white.
    MDiskTIF white(Write(dir, Picture(8, 1, 1, 1, 0).Data(Bytes{}.U8(0x0F))), "tif");
    const Dib dib = test::DecodeFull(white);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(dib.PixelRgb(7, 0), 0u);
    EXPECT_EQ(white.GetColor(1), 0xFFFFFFu);
    MDiskTIF a(test::Fixture("readers/tif/miniswhite.tif"), "tif");
    MDiskTIF b(test::Fixture("readers/tif/minisblack.tif"), "tif");
    const Dib da = test::DecodeFull(a), db = test::DecodeFull(b);
    for (int x = 0; x < 37; ++x) ASSERT_EQ(da.PixelRgb(x, 5), db.PixelRgb(x, 5));
}

// Grey of 4 and 8 bits is delivered with a linear grey palette; white-is-zero rows are turned
// round so that both polarities of one picture look the same.
TEST(Tif, GreyInBothPolarities) {
    testing::TempDir dir;
    MDiskTIF white8(Write(dir, Picture(3, 1, 8, 1, 0).Data(Bytes{}.U8(0).U8(255).U8(64))), "tif");
    EXPECT_EQ(white8.GetBitCount(), 8);
    const Dib w8 = test::DecodeFull(white8);
    EXPECT_EQ(w8.PixelRgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(w8.PixelRgb(1, 0), 0u);
    EXPECT_EQ(w8.PixelRgb(2, 0), 0xBFBFBFu);
    MDiskTIF white4(Write(dir, Picture(3, 1, 4, 1, 0).Data(Bytes{}.U8(0x0F).U8(0x40)), "w4.tif"),
                    "tif");
    EXPECT_EQ(white4.GetBitCount(), 4);
    const Dib w4 = test::DecodeFull(white4);
    EXPECT_EQ(w4.PixelRgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(w4.PixelRgb(1, 0), 0u);
    EXPECT_EQ(w4.PixelRgb(2, 0), 0xBBBBBBu);  // 4 is 11 after turning round: 11 x 17
    MDiskTIF black4(Write(dir, Picture(2, 1, 4, 1, 1).Data(Bytes{}.U8(0x0F)), "b4.tif"), "tif");
    EXPECT_EQ(test::DecodeFull(black4).PixelRgb(1, 0), 0xFFFFFFu);
    // Grey with an extra sample: the first sample of each pixel.
    TiffBuilder grey_alpha = Picture(2, 1, 8, 2, 1);
    grey_alpha.Tag(258, 3, 2, 0x00080008);
    MDiskTIF alpha(Write(dir, grey_alpha.Data(Bytes{}.U8(10).U8(99).U8(20).U8(99)), "ga.tif"),
                   "tif");
    EXPECT_EQ(test::DecodeFull(alpha).PixelRgb(1, 0), 0x141414u);
    // Files of real encoders: each white-is-zero picture equals its black-is-zero twin.
    for (const auto& [a, b] :
         {std::pair{"readers/tif/miniswhite8.tif", "readers/tif/minisblack8.tif"},
          std::pair{"readers/tif/miniswhite4.tif", "readers/tif/minisblack4.tif"}}) {
        SCOPED_TRACE(a);
        MDiskTIF white(test::Fixture(a), "tif");
        MDiskTIF black(test::Fixture(b), "tif");
        const Dib dw = test::DecodeFull(white), db = test::DecodeFull(black);
        int differing = 0;
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 37; ++x) differing += dw.PixelRgb(x, y) != db.PixelRgb(x, y);
        }
        EXPECT_EQ(differing, 0);
    }
}

TEST(Tif, ExtraSamplesAreDroppedWithTheStoredPixelSize) {
    testing::TempDir dir;
    TiffBuilder t = Picture(2, 1, 8, 4, 2);
    t.TagAt(258, 3, 4, 8).TagAt(273, 4, 1, 0);
    Bytes data;
    data.U8(1).U8(2).U8(3).U8(4).U8(5).U8(6).U8(7).U8(8).U16(8).U16(8).U16(8).U16(8);
    MDiskTIF reader(Write(dir, t.Data(data)), "tif");
    EXPECT_EQ(reader.GetBitCount(), 24);
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0x010203u);
    EXPECT_EQ(dib.PixelRgb(1, 0), 0x050607u);
}

// TIFF stores ink (0 = none), Photoshop files the light left (255 = no ink): the same colour
// stored both ways gives the same pixel.
TEST(Tif, CmykIsConvertedLikeThePhotoshopReader) {
    testing::TempDir dir;
    TiffBuilder t = Picture(2, 1, 8, 5, 5);
    t.TagAt(258, 3, 5, 10).TagAt(273, 4, 1, 0);
    Bytes data;
    data.U8(10).U8(20).U8(30).U8(40).U8(0).U8(0).U8(255).U8(0).U8(0).U8(0);
    MDiskTIF reader(Write(dir, t.Data(data.U16(8).U16(8).U16(8).U16(8).U16(8))), "tif");
    EXPECT_EQ(reader.GetBitCount(), 24);
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0xCEC6BDu);  // light 245 235 225, times 215 / 255
    EXPECT_EQ(dib.PixelRgb(1, 0), 0xFF00FFu);  // full magenta, fifth sample ignored
    Bytes psd;
    psd.Text("8BPS").U16BE(1).Fill(6, 0).U16BE(4).U32BE(1).U32BE(1).U16BE(8).U16BE(4);
    psd.U32BE(0).U32BE(0).U32BE(0).U16BE(0).U8(245).U8(235).U8(225).U8(215);
    testing::WriteFile(dir.File("light.psd"), psd.data);
    MDiskPSD photoshop(dir.File("light.psd"), "psd");
    EXPECT_EQ(test::DecodeFull(photoshop).PixelRgb(0, 0), dib.PixelRgb(0, 0));
}

// Samples in separate planes: one strip table per plane, one row read from each.
TEST(Tif, PlanarFilesEqualTheirInterleavedTwins) {
    MDiskTIF chunky(test::Fixture("readers/tif/rgb24.tif"), "tif");
    const Dib reference = test::DecodeFull(chunky);
    for (const char* name : {"readers/tif/planar-rgb.tif", "readers/tif/planar-rgb-strips5.tif"}) {
        SCOPED_TRACE(name);
        MDiskTIF planar(test::Fixture(name), "tif");
        EXPECT_EQ(planar.GetBitCount(), 24);
        EXPECT_EQ(test::DecodeFull(planar).Pixels(), reference.Pixels());
    }
    MDiskTIF cmyk(test::Fixture("readers/tif/cmyk32.tif"), "tif");
    MDiskTIF planar_cmyk(test::Fixture("readers/tif/planar-cmyk.tif"), "tif");
    EXPECT_EQ(test::DecodeFull(planar_cmyk).Pixels(), test::DecodeFull(cmyk).Pixels());
    testing::TempDir dir;
    // 2 x 2 RGB, two strips per plane; a table covering only two planes is refused.
    TiffBuilder t = Picture(2, 2, 8, 3, 2);
    t.TagAt(258, 3, 3, 0).TagAt(273, 4, 6, 6).Tag(278, 3, 1, 1).Tag(284, 3, 1, 2);
    const std::uint32_t rows_at = t.DataStart() + 30;
    Bytes data;
    data.U16(8).U16(8).U16(8);
    for (std::uint32_t strip = 0; strip < 6; ++strip) data.U32(rows_at + 2 * strip);
    for (unsigned v : {1, 2, 3, 4, 11, 12, 13, 14, 21, 22, 23, 24}) data.U8(v);
    MDiskTIF reader(Write(dir, t.Data(data)), "tif");
    const Dib dib = test::DecodeFull(reader);
    EXPECT_EQ(dib.PixelRgb(0, 0), 0x010B15u);
    EXPECT_EQ(dib.PixelRgb(1, 1), 0x040E18u);
    t.TagAt(273, 4, 4, 6);
    ExpectRefused(Write(dir, t, "few.tif"));
}

TEST(Tif, Resolutions) {
    MDiskTIF inch(test::Fixture("readers/tif/dpi300.tif"), "tif");
    EXPECT_EQ(inch.GetXResolution(), 300);
    MDiskTIF cm(test::Fixture("readers/tif/dpcm118.tif"), "tif");
    EXPECT_EQ(cm.GetXResolution(), 46);  // 11800 / 254
    testing::TempDir dir;
    TiffBuilder t = Picture(8, 1, 1, 1, 1);
    Bytes data;
    data.U8(0).Fill(3, 0).U32(300).U32(1).U32(118).U32(1).U32(5).U32(0);
    t.TagAt(273, 4, 1, 0).TagAt(282, 5, 1, 4).TagAt(283, 5, 1, 12).Tag(296, 3, 1, 2);
    MDiskTIF dpi(Write(dir, t.Data(data)), "tif");
    EXPECT_EQ(dpi.GetXResolution(), 300);
    EXPECT_EQ(dpi.GetYResolution(), 118);
    t.Tag(296, 3, 1, 3).TagAt(283, 5, 1, 20);  // per centimetre; a zero denominator gives 0
    MDiskTIF centimetre(Write(dir, t, "c.tif"), "tif");
    EXPECT_EQ(centimetre.GetXResolution(), 30000 / 254);
    EXPECT_EQ(centimetre.GetYResolution(), 0);
}

TEST(Tif, StripsLocateRows) {
    testing::TempDir dir;
    // 3 strips of 10 rows, 1 byte each, stored in reverse order.
    TiffBuilder t = Picture(8, 30, 1, 1, 1);
    t.Tag(278, 3, 1, 10).TagAt(273, 4, 3, 0);
    Bytes data;
    const std::uint32_t rows_at = t.DataStart() + 12;
    data.U32(rows_at + 20).U32(rows_at + 10).U32(rows_at);
    for (int strip = 2; strip >= 0; --strip) {
        for (int r = 0; r < 10; ++r) data.U8(strip * 10 + r);
    }
    MDiskTIF reader(Write(dir, t.Data(data)), "tif");
    const Dib dib = test::DecodeFull(reader);
    for (int y : {0, 9, 10, 25, 29}) {
        EXPECT_EQ(dib.Row(y)[0], y) << y;
    }
    // The same with 16-bit offsets, and a table pointing beyond the file.
    TiffBuilder short_table = Picture(8, 30, 1, 1, 1);
    short_table.Tag(278, 3, 1, 10).TagAt(273, 3, 3, 0);
    Bytes short_data;
    const std::uint32_t short_rows_at = short_table.DataStart() + 6;
    short_data.U16(short_rows_at + 20).U16(short_rows_at + 10).U16(short_rows_at);
    for (int strip = 2; strip >= 0; --strip) {
        for (int r = 0; r < 10; ++r) short_data.U8(strip * 10 + r);
    }
    MDiskTIF shorts(Write(dir, short_table.Data(short_data), "s.tif"), "tif");
    EXPECT_EQ(test::DecodeFull(shorts).Row(25)[0], 25);
    TiffBuilder beyond = Picture(8, 30, 1, 1, 1);
    beyond.Tag(278, 3, 1, 1).Tag(273, 4, 100000000, 16);
    EXPECT_THROW(MDiskTIF(Write(dir, beyond, "b.tif"), "tif"), Exception);
}

}  // namespace
}  // namespace pixelary
