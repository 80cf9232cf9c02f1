// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ReaderTestSupport.h"
#include "core/Exception.h"
#include "readers/Rwimage.h"
#include "readers/Rwtif.h"

namespace pixelary {
namespace {

// A reader whose source pixel (x, y) has the value x + 16 * y (as many bits as the depth holds),
// recording the order in which source rows are fetched.
class FakeReader : public MDiskImage {
  public:
    FakeReader(int width, int height, int bits, bool bottomUp = false)
        : MDiskImage("fake", "fak"), bottom_up_(bottomUp) {
        ImageInfo.Width = width;
        ImageInfo.Height = height;
        ImageInfo.BitCount = static_cast<std::uint16_t>(bits);
    }
    void StretchLines(Dib& bitmap, std::int32_t count) override {
        StretchRows(bitmap, count, bottom_up_, [this](std::int32_t y) { return MakeRow(y); });
    }
    static std::uint32_t Value(int x, int y) { return static_cast<std::uint32_t>(x + 16 * y); }
    std::vector<int> fetched;
    using MDiskImage::Palette;

  private:
    const std::uint8_t* MakeRow(int y) {
        fetched.push_back(y);
        const int bits = GetBitCount();
        row_.assign(static_cast<std::size_t>((GetWidth() * bits + 7) / 8), 0);
        for (int x = 0; x < GetWidth(); ++x) {
            const std::uint32_t v = Value(x, y);
            if (bits == 1) row_[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
            if (bits == 4) row_[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
            if (bits >= 8) {
                for (int b = 0; b < bits / 8; ++b) {
                    row_[x * bits / 8 + b] = static_cast<std::uint8_t>(v >> (8 * (b % 3)));
                }
            }
        }
        return row_.data();
    }
    bool bottom_up_;
    std::vector<std::uint8_t> row_;
};

// Source coordinates each destination pixel of a decoded FakeReader picture came from.
std::vector<int> SampledColumns(const Dib& dib, int row) {
    std::vector<int> xs;
    for (int x = 0; x < dib.Width(); ++x)
        xs.push_back(static_cast<int>(dib.PixelValue(x, row) % 16));
    return xs;
}

TEST(Stretch, NearestNeighbourPicksFloorOfScaledIndex) {
    FakeReader down(5, 1, 8);
    EXPECT_EQ(SampledColumns(test::Decode(down, 3, 1), 0), (std::vector<int>{0, 1, 3}));
    FakeReader up(2, 1, 8);
    EXPECT_EQ(SampledColumns(test::Decode(up, 5, 1), 0), (std::vector<int>{0, 0, 0, 1, 1}));
}

TEST(Stretch, RowsFollowTheSameRuleTopDownAndBottomUp) {
    for (bool bottom_up : {false, true}) {
        FakeReader reader(1, 5, 8, bottom_up);
        const Dib dib = test::Decode(reader, 1, 3);
        EXPECT_EQ(dib.PixelValue(0, 0), FakeReader::Value(0, 0));
        EXPECT_EQ(dib.PixelValue(0, 1), FakeReader::Value(0, 1));
        EXPECT_EQ(dib.PixelValue(0, 2), FakeReader::Value(0, 3));
        // Bottom-up pictures are read from the file's start, i.e. the last rows first.
        EXPECT_EQ(reader.fetched,
                  bottom_up ? (std::vector<int>{3, 1, 0}) : (std::vector<int>{0, 1, 3}));
    }
    FakeReader up(1, 2, 8);
    const Dib dib = test::Decode(up, 1, 5);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(dib.PixelValue(0, y), FakeReader::Value(0, y < 3 ? 0 : 1));
}

TEST(Stretch, EveryDepthSamplesTheSamePixels) {
    for (int bits : {1, 4, 8, 24, 32}) {
        SCOPED_TRACE(bits);
        FakeReader reader(13, 7, bits);
        const Dib dib = test::Decode(reader, 6, 4);
        const std::uint32_t mask = bits == 1 ? 1 : bits == 4 ? 15 : bits == 8 ? 255 : 0xFFFFFF;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x) {
                const std::uint32_t v = FakeReader::Value(x * 13 / 6, y * 7 / 4);
                const std::uint32_t expected = v & mask;
                EXPECT_EQ(dib.PixelValue(x, y), expected) << x << "," << y;
            }
        }
    }
}

TEST(Stretch, PartialSourceRectangle) {
    FakeReader reader(10, 10, 8);
    Dib dib(2, 2, 8);
    reader.StretchBegin(4, 6, 8, 10, 2, 2);
    reader.StretchLines(dib, 2);
    EXPECT_EQ(dib.PixelValue(0, 0), FakeReader::Value(4, 6));
    EXPECT_EQ(dib.PixelValue(1, 1), FakeReader::Value(6, 8));
}

TEST(Stretch, UnusedBitsOfTheLastByteAreZero) {
    FakeReader reader(10, 1, 1);  // bits 0101010101
    Dib dib(10, 1, 1);
    std::fill(dib.Pixels().begin(), dib.Pixels().end(), 0xFF);
    reader.StretchBegin(0, 0, 10, 1, 10, 1);
    reader.StretchLines(dib, 1);
    // Exactly the 2 row bytes are written; the 6 bits without a pixel are 0.
    EXPECT_EQ(dib.Row(0)[0], 0x55);
    EXPECT_EQ(dib.Row(0)[1], 0x40);
    EXPECT_EQ(dib.Row(0)[2], 0xFF);
    FakeReader odd(3, 1, 4);
    Dib nibbles(3, 1, 4);
    odd.StretchBegin(0, 0, 3, 1, 3, 1);
    odd.StretchLines(nibbles, 1);
    EXPECT_EQ(nibbles.Row(0)[1], 0x20);  // pixel 2 in the high nibble, no low nibble
}

TEST(Stretch, BeginRefusesBadRectanglesAndSizes) {
    FakeReader reader(4, 3, 8);
    const auto expect_refused = [&](int l, int t, int r, int b, int w, int h) {
        try {
            reader.StretchBegin(l, t, r, b, w, h);
            ADD_FAILURE() << l << " " << t << " " << r << " " << b << " " << w << " " << h;
        } catch (const EIntError& error) {
            EXPECT_STREQ(error.what(), "StretchBegin parameter invalidate");
        }
    };
    expect_refused(0, 0, 5, 3, 2, 2);  // right beyond the width
    expect_refused(0, 0, 4, 3, 2, 0);  // no destination rows
    expect_refused(0, 0, 4, 3, 0, 2);
    expect_refused(-1, 0, 4, 3, 2, 2);
    expect_refused(2, 0, 2, 3, 2, 2);  // empty
    expect_refused(0, 2, 4, 1, 2, 2);
    expect_refused(0, 0, 4, 4, 2, 2);
    FakeReader negative(4, -3, 8);
    EXPECT_THROW(negative.StretchBegin(0, 0, 4, -3, 2, 2), EIntError);
}

TEST(Stretch, LinesStopAtTheDestinationHeight) {
    FakeReader reader(4, 8, 8);
    reader.StretchBegin(0, 0, 4, 8, 4, 4);
    Dib strip(4, 3, 8);
    reader.StretchLines(strip, 3);
    EXPECT_EQ(strip.PixelValue(0, 2), FakeReader::Value(0, 4));
    Dib rest(4, 3, 8);
    std::fill(rest.Pixels().begin(), rest.Pixels().end(), 0xEE);
    reader.StretchLines(rest, 3);  // only one row remains
    EXPECT_EQ(rest.PixelValue(0, 0), FakeReader::Value(0, 6));
    EXPECT_EQ(rest.PixelValue(0, 1), 0xEEu);
    reader.StretchLines(rest, 3);  // nothing remains
    EXPECT_EQ(rest.PixelValue(0, 0), FakeReader::Value(0, 6));
    EXPECT_EQ(reader.fetched.size(), 4u);
}

TEST(Stretch, LinesRefuseABitmapTooSmall) {
    FakeReader reader(4, 8, 24);
    reader.StretchBegin(0, 0, 4, 8, 40, 4);
    Dib narrow(4, 4, 24);
    EXPECT_THROW(reader.StretchLines(narrow, 4), EIntError);
    Dib short_bitmap(40, 2, 24);
    EXPECT_THROW(reader.StretchLines(short_bitmap, 4), EIntError);
}

TEST(Expand, FiveBitChannelsWidenWithTheOddRule) {
    std::vector<std::uint8_t> row = {0xFF, 0x7F, 0x21, 0x04, 0x00, 0x80, 0, 0, 0};
    Expand555(row.data(), 3);
    EXPECT_EQ(row, (std::vector<std::uint8_t>{255, 255, 255, 15, 15, 15, 0, 0, 0}));
    std::vector<std::uint8_t> one = {0x1E, 0x00, 0};  // blue 30
    Expand555(one.data(), 1);
    EXPECT_EQ(one[0], 240);
    std::vector<std::uint8_t> wide = {0xFF, 0xFF, 0x20, 0x00, 0, 0};  // white; green 1 of 6 bits
    Expand565(wide.data(), 2);
    EXPECT_EQ(wide, (std::vector<std::uint8_t>{255, 255, 255, 0, 7, 0}));
}

TEST(Palette, ColoursAndLogicalPalette) {
    FakeReader reader(1, 1, 4);
    reader.Palette = {0x00112233, 0x00445566};
    EXPECT_EQ(reader.GetColorCount(), 16);
    EXPECT_EQ(reader.GetColor(1), 0x00445566u);
    EXPECT_EQ(reader.GetColor(2), 0u);   // no entry loaded
    EXPECT_EQ(reader.GetColor(16), 0u);  // beyond the colour count
    EXPECT_EQ(reader.GetColor(-1), 0u);
    const LogicalPalette& palette = reader.GetPalette();
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(palette[0], 0x00112233u);
    FakeReader rgb(1, 1, 24);
    EXPECT_EQ(rgb.GetColorCount(), 0);
    EXPECT_TRUE(rgb.GetPalette().empty());
}

TEST(Extension, PictureExtensions) {
    EXPECT_FALSE(IsImageFileExt(""));
    EXPECT_FALSE(IsImageFileExt("."));
    for (const char* ext : {"bmp", "BMP", ".Bmp", ".bmp", "psd", "pcd", "JPG", "wmf"}) {
        EXPECT_TRUE(IsImageFileExt(ext)) << ext;
    }
    for (const char* ext : {"..bmp", "bm", "bmpx", "osp", "txt", "jpgg", "tiffs", "peg", "iff"}) {
        EXPECT_FALSE(IsImageFileExt(ext)) << ext;
    }
}

// The everyday longer names of JPEG and TIFF pictures are pictures of those formats.
TEST(Extension, LongerSpellingsShareTheirFormatsKey) {
    for (const char* ext : {"jpeg", ".JPEG", "jpe", ".Jpe", "jfif", ".JFIF", "tiff", ".TIFF"}) {
        EXPECT_TRUE(IsImageFileExt(ext)) << ext;
    }
    EXPECT_EQ(NormaliseExtension(".JPEG"), "jpg");
    EXPECT_EQ(NormaliseExtension("jpe"), "jpg");
    EXPECT_EQ(NormaliseExtension(".jfif"), "jpg");
    EXPECT_EQ(NormaliseExtension("TIFF"), "tif");
    EXPECT_EQ(NormaliseExtension(".Bmp"), "bmp");
    EXPECT_EQ(NormaliseExtension(".TXT"), "txt");
}

TEST(Extension, FormatKeyOfAPath) {
    EXPECT_EQ(FormatKeyOfPath("/p/holiday.jpeg"), "jpg");
    EXPECT_EQ(FormatKeyOfPath("/p/HOLIDAY.JPEG"), "jpg");
    EXPECT_EQ(FormatKeyOfPath("/p/cat.jpe"), "jpg");
    EXPECT_EQ(FormatKeyOfPath("/p/cat.JFIF"), "jpg");
    EXPECT_EQ(FormatKeyOfPath("/p/scan.tiff"), "tif");
    EXPECT_EQ(FormatKeyOfPath("/p/scan.TIF"), "tif");
    // The last three bytes whatever precedes them, as before.
    EXPECT_EQ(FormatKeyOfPath("/p/PHOTOJPG"), "jpg");
    EXPECT_EQ(FormatKeyOfPath("/p/doc.osp"), "osp");
    EXPECT_EQ(FormatKeyOfPath("/p/photojpeg"), "peg");  // the longer names need their dot
    EXPECT_EQ(FormatKeyOfPath("a.b"), "");
    EXPECT_EQ(FormatKeyOfPath("tiff"), "iff");
}

// A library reader stand-in that records what it was asked for.
class LibraryStandIn : public MDiskImage {
  public:
    LibraryStandIn(const std::string& path, const std::string& ext) : MDiskImage(path, ext) {
        ImageInfo.Width = 1;
        ImageInfo.Height = 1;
        ImageInfo.BitCount = 24;
    }
    void StretchLines(Dib&, std::int32_t) override {}
};

class Factory : public ::testing::Test {
  protected:
    void TearDown() override { SetLibraryReaderFactory(nullptr); }
    void UseStandIn(bool refuse = false) {
        SetLibraryReaderFactory(
            [this, refuse](const std::string& path,
                           const std::string& ext) -> std::unique_ptr<MDiskImage> {
                asked.push_back(ext);
                if (refuse) throw EInOutError("Lib bit error");
                return std::make_unique<LibraryStandIn>(path, ext);
            });
    }
    std::vector<std::string> asked;
};

TEST_F(Factory, OwnReaderByExtension) {
    UseStandIn();
    auto reader = CreateDiskImage(test::Fixture("readers/bmp/rgb24.bmp"), ".BMP");
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->Extension(), "bmp");
    EXPECT_EQ(reader->GetWidth(), 37);
    EXPECT_EQ(dynamic_cast<LibraryStandIn*>(reader.get()), nullptr);
    EXPECT_TRUE(asked.empty());
}

TEST_F(Factory, RefusedOrMissingFilesFallBackToTheLibrary) {
    UseStandIn();
    for (const char* name :
         {"readers/bmp/rle8.bmp", "readers/bmp/v5-rgb24.bmp", "readers/bmp/no-such-file.bmp"}) {
        auto reader = CreateDiskImage(test::Fixture(name), "bmp");
        ASSERT_TRUE(reader) << name;
        EXPECT_NE(dynamic_cast<LibraryStandIn*>(reader.get()), nullptr) << name;
        EXPECT_EQ(reader->FileName(), test::Fixture(name));
    }
    auto jpeg = CreateDiskImage("photo.jpg", "JPG");
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(asked, (std::vector<std::string>{"bmp", "bmp", "bmp", "jpg"}));
}

// ".tiff" reaches the own TIFF reader; ".jpeg", ".jpe" and ".jfif" reach the library as "jpg".
TEST_F(Factory, LongerSpellingsReachTheirFormatsReader) {
    UseStandIn();
    testing::TempDir dir;
    const std::string tiff = dir.File("scan.tiff");
    std::filesystem::copy_file(test::Fixture("readers/tif/rgb24.tif"), tiff);
    for (const char* ext : {"tiff", ".TIFF"}) {
        auto reader = CreateDiskImage(tiff, ext);
        ASSERT_TRUE(reader) << ext;
        EXPECT_NE(dynamic_cast<MDiskTIF*>(reader.get()), nullptr) << ext;
        EXPECT_EQ(reader->Extension(), "tif");
    }
    EXPECT_TRUE(asked.empty());
    for (const char* ext : {"jpeg", ".JPE", "jfif"}) ASSERT_TRUE(CreateDiskImage("p.x", ext));
    EXPECT_EQ(asked, (std::vector<std::string>{"jpg", "jpg", "jpg"}));
}

TEST_F(Factory, MetafilesWithoutTheMetafileLayerGoToTheLibraryReader) {
    EXPECT_EQ(CreateDiskImage(test::Fixture("metafile/device1024.emf"), "emf"), nullptr);
    UseStandIn();
    auto reader = CreateDiskImage(test::Fixture("metafile/device1024.emf"), "emf");
    ASSERT_TRUE(reader);
    EXPECT_EQ(asked, (std::vector<std::string>{"emf"}));  // the metafile reader refused it
}

TEST_F(Factory, NoReaderWhenNothingTakesTheFile) {
    EXPECT_EQ(CreateDiskImage(test::Fixture("readers/bmp/rle8.bmp"), "bmp"),
              nullptr);  // no library
    UseStandIn(true);
    EXPECT_EQ(CreateDiskImage(test::Fixture("readers/bmp/rle8.bmp"), "bmp"), nullptr);
    EXPECT_EQ(CreateDiskImage("photo.jpg", ""), nullptr);
    EXPECT_EQ(asked.size(), 1u);
}

// A file cut short after its reader checked the header against the whole file (another program
// still writing it, or truncating it): every own reader raises its read error or delivers what it
// got; nothing reads past what it has.
TEST(CreateDiskImage, FilesCutShortWhileTheirRowsAreReadAreRefusedCleanly) {
    testing::TempDir dir;
    int readersRun = 0;
    for (const char* format : {"bmp", "tga", "pcx", "tif", "psd"}) {
        for (const auto& entry :
             std::filesystem::directory_iterator(test::Fixture(std::string("readers/") + format))) {
            const std::string extension = entry.path().extension().string();
            if (extension.size() < 2 || extension.substr(1) != format) continue;
            const auto size = static_cast<std::int64_t>(entry.file_size());
            for (std::int64_t cut : {std::int64_t{0}, size / 4, size / 2, size - 1}) {
                const std::string path = dir.File("cut" + extension);
                std::filesystem::copy_file(entry.path(), path,
                                           std::filesystem::copy_options::overwrite_existing);
                std::unique_ptr<MDiskImage> reader = CreateDiskImage(path, format);
                if (!reader) break;  // refused whole: other tests pin that down
                ASSERT_EQ(::truncate(path.c_str(), cut), 0);
                ++readersRun;
                try {
                    const Dib thumbnail = test::Decode(*reader, 20, 15);
                    EXPECT_EQ(thumbnail.Width(), 20);
                } catch (const Exception&) {
                    // the read error is the expected refusal
                } catch (const std::exception& error) {
                    ADD_FAILURE() << entry.path() << " cut at " << cut << ": " << error.what();
                }
            }
        }
    }
    EXPECT_GT(readersRun, 100);
}

}  // namespace
}  // namespace pixelary
