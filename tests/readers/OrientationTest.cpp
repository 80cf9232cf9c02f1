// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ReaderTestSupport.h"
#include "core/Stream.h"
#include "readers/Orientation.h"
#include "readers/Rwimage.h"
#include "support/Quarters.h"

namespace pixelary {
namespace {

using test::Bytes;
using testing::CornersOf;
using testing::kUprightCorners;

constexpr unsigned kOrientationTag = 274;
constexpr unsigned kShort = 3;
constexpr unsigned kLong = 4;

// A TIFF structure with one directory at offset 8 holding the given entries (tag, type, count,
// value), written in either byte order.
struct Entry {
    unsigned tag = kOrientationTag;
    unsigned type = kShort;
    std::uint32_t count = 1;
    unsigned value = 6;
};

std::vector<std::uint8_t> TiffBlock(bool little, const std::vector<Entry>& entries,
                                    std::uint32_t directory = 8,
                                    std::optional<unsigned> declaredCount = std::nullopt,
                                    std::uint32_t next = 0) {
    Bytes b;
    const auto u16 = [&](unsigned v) -> Bytes& { return little ? b.U16(v) : b.U16BE(v); };
    const auto u32 = [&](std::uint32_t v) -> Bytes& { return little ? b.U32(v) : b.U32BE(v); };
    b.Text(little ? "II" : "MM");
    u16(42);
    u32(directory);
    u16(declaredCount.value_or(static_cast<unsigned>(entries.size())));
    for (const Entry& e : entries) {
        u16(e.tag);
        u16(e.type);
        u32(e.count);
        u16(e.value);  // a short sits at the start of the value field
        u16(0);
    }
    u32(next);
    return b.data;
}

// A JPEG stream (no picture data is needed before the scan) holding the given segments.
Bytes JpegStart() {
    return Bytes().U16BE(0xFFD8);
}

Bytes& Segment(Bytes& b, unsigned marker, const std::vector<std::uint8_t>& payload) {
    b.U8(0xFF).U8(marker).U16BE(static_cast<unsigned>(payload.size() + 2));
    return b.Raw(payload);
}

std::vector<std::uint8_t> ExifPayload(const std::vector<std::uint8_t>& tiff) {
    return Bytes().Text(std::string("Exif\0\0", 6)).Raw(tiff).data;
}

std::vector<std::uint8_t> JpegWithExif(const std::vector<std::uint8_t>& tiff) {
    Bytes b = JpegStart();
    Segment(b, 0xE1, ExifPayload(tiff));
    return b.U16BE(0xFFDA).data;
}

Orientation FromJpeg(const std::vector<std::uint8_t>& bytes) {
    MemoryStream in(bytes);
    return ReadJpegOrientation(in);
}

TEST(Orientation, EveryFixtureTellsItsTag) {
    for (int n = 1; n <= 8; ++n) {
        const std::string file = test::Fixture("readers/jpg/orient-" + std::to_string(n) + ".jpg");
        EXPECT_EQ(static_cast<int>(ReadPictureOrientation(file, "jpg")), n) << file;
    }
    EXPECT_EQ(ReadPictureOrientation(test::Fixture("readers/tif/orient-2.tif"), "tif"),
              Orientation::MirrorHorizontal);
    EXPECT_EQ(ReadPictureOrientation(test::Fixture("readers/tif/orient-6.tif"), "tif"),
              Orientation::Rotate90);
    EXPECT_EQ(ReadPictureOrientation(test::Fixture("readers/tif/orient-7-jpeg.tif"), "tif"),
              Orientation::Transverse);
    // Files without the tag, and formats whose tag is not honoured, are shown as stored.
    EXPECT_EQ(ReadPictureOrientation(test::Fixture("readers/tif/rgb24.tif"), "tif"),
              Orientation::Normal);
    EXPECT_EQ(ReadPictureOrientation(test::Fixture("imaging/jpeg/colour.jpg"), "jpg"),
              Orientation::Normal);
    EXPECT_EQ(ReadPictureOrientation(test::Fixture("readers/jpg/orient-6.jpg"), "png"),
              Orientation::Normal);
    EXPECT_EQ(ReadPictureOrientation(test::Fixture("readers/jpg/missing.jpg"), "jpg"),
              Orientation::Normal);
}

TEST(Orientation, ExifBlocksOfBothByteOrdersBehindOtherSegments) {
    EXPECT_EQ(FromJpeg(JpegWithExif(TiffBlock(true, {{}}))), Orientation::Rotate90);
    EXPECT_EQ(FromJpeg(JpegWithExif(TiffBlock(false, {{.value = 8}}))), Orientation::Rotate270);
    // The tag among others; a JFIF segment, an XMP block in another APP1 segment, a restart
    // marker and fill bytes before the Exif block.
    Bytes b = JpegStart();
    Segment(b, 0xE0, Bytes().Text(std::string("JFIF\0", 5)).Fill(9, 0).data);
    Segment(b, 0xE1, Bytes().Text("http://ns.adobe.com/xap/1.0/").Fill(20, 0).data);
    b.U8(0xFF).U8(0xD0).U8(0xFF).U8(0xFF);
    Segment(b, 0xE1,
            ExifPayload(TiffBlock(true, {{.tag = 271, .type = 2, .count = 4, .value = 0},
                                         {.value = 3},
                                         {.tag = 34665, .type = kLong, .count = 1, .value = 8}})));
    EXPECT_EQ(FromJpeg(b.data), Orientation::Rotate180);
}

// Damaged or hostile Exif blocks are ignored: the picture is shown as stored.
TEST(Orientation, DamagedExifBlocksAreShownAsStored) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> jpeg;
    };
    const std::vector<std::uint8_t> good = JpegWithExif(TiffBlock(true, {{}}));
    std::vector<std::uint8_t> segmentPastEnd = good;
    segmentPastEnd[4] = 0x7F;  // the APP1 length field now reaches far past the file
    std::vector<std::uint8_t> segmentTooShort = good;
    segmentTooShort[4] = 0;
    segmentTooShort[5] = 1;  // a length that cannot even count itself
    Bytes badOrder = JpegStart();
    std::vector<std::uint8_t> mixed = TiffBlock(true, {{}});
    mixed[1] = 'M';
    Segment(badOrder, 0xE1, ExifPayload(mixed));
    Bytes bigTiff = JpegStart();
    std::vector<std::uint8_t> version43 = TiffBlock(true, {{}});
    version43[2] = 43;
    Segment(bigTiff, 0xE1, ExifPayload(version43));
    Bytes headerOnly = JpegStart();
    Segment(headerOnly, 0xE1, ExifPayload(Bytes().Text("II").U16(42).data));
    const Case cases[] = {
        {"directory past the block", JpegWithExif(TiffBlock(true, {{}}, 0xFFFFFFF0))},
        {"directory inside the header", JpegWithExif(TiffBlock(true, {{}}, 0))},
        {"count straddling the block's end", JpegWithExif(TiffBlock(true, {{}}, 25))},
        {"count far beyond the entries", JpegWithExif(TiffBlock(true, {{}}, 8, 65535))},
        {"tag as a long", JpegWithExif(TiffBlock(true, {{.type = kLong}}))},
        {"tag with no value", JpegWithExif(TiffBlock(true, {{.count = 0}}))},
        {"value 0", JpegWithExif(TiffBlock(true, {{.value = 0}}))},
        {"value 9", JpegWithExif(TiffBlock(true, {{.value = 9}}))},
        {"segment past the end of the file", segmentPastEnd},
        {"segment length below 2", segmentTooShort},
        {"no byte order", badOrder.data},
        {"not version 42", bigTiff.data},
        {"block shorter than a header", headerOnly.data},
        {"no start of image", std::vector<std::uint8_t>(good.begin() + 2, good.end())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FromJpeg(c.jpeg), Orientation::Normal);
    }
}

TEST(Orientation, LoopsAndEndlessSegmentsEndTheSearch) {
    // The next-directory offset of the first directory points back at it: only the first is
    // read, once.
    EXPECT_EQ(FromJpeg(JpegWithExif(TiffBlock(true, {{.value = 5}}, 8, std::nullopt, 8))),
              Orientation::Transpose);
    // Thousands of tiny segments before the Exif block: the search gives up rather than walking
    // a file of any length segment by segment.
    Bytes many = JpegStart();
    for (int i = 0; i < 5000; ++i) Segment(many, 0xFE, {});
    Segment(many, 0xE1, ExifPayload(TiffBlock(true, {{}})));
    EXPECT_EQ(FromJpeg(many.data), Orientation::Normal);
    // Endless fill bytes.
    Bytes fill = JpegStart();
    fill.Fill(100000, 0xFF);
    EXPECT_EQ(FromJpeg(fill.data), Orientation::Normal);
}

TEST(Orientation, FilesCutShortAreShownAsStored) {
    testing::TempDir dir;
    const std::vector<std::uint8_t> jpeg = JpegWithExif(TiffBlock(true, {{}}));
    for (std::size_t size : {std::size_t{3}, std::size_t{13}, std::size_t{25}, jpeg.size() - 8}) {
        const std::string path = dir.File("cut.jpg");
        testing::WriteFile(path, std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + size));
        EXPECT_EQ(ReadPictureOrientation(path, "jpg"), Orientation::Normal) << size;
    }
    // A TIFF file whose directory lies past its end.
    const std::string tif = dir.File("cut.tif");
    testing::WriteFile(tif, TiffBlock(false, {{}}, 4000));
    EXPECT_EQ(ReadPictureOrientation(tif, "tif"), Orientation::Normal);
    testing::WriteFile(tif, TiffBlock(false, {{.value = 7}}));
    EXPECT_EQ(ReadPictureOrientation(tif, "tif"), Orientation::Transverse);
}

TEST(ApplyOrientation, EveryValueTurnsTheQuartersUpright) {
    const Dib stored = testing::QuartersDib();
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        const auto orientation = static_cast<Orientation>(n);
        const Dib upright = ApplyOrientation(stored, orientation);
        EXPECT_EQ(upright.Width(), n >= 5 ? stored.Height() : stored.Width());
        EXPECT_EQ(upright.Height(), n >= 5 ? stored.Width() : stored.Height());
        EXPECT_EQ(CornersOf(upright), kUprightCorners[static_cast<std::size_t>(n)]);
        EXPECT_EQ(SwapsSides(orientation), n >= 5);
    }
}

// Packed depths turn exactly as the same picture at 24 bits does, pixel for pixel, also where a
// row ends inside a byte.
TEST(ApplyOrientation, PackedDepthsTurnLikeTrueColour) {
    for (int depth : {1, 4, 8, 32}) {
        SCOPED_TRACE(depth);
        Dib packed(11, 5, depth);
        Dib rgb(11, 5, 24);
        std::vector<std::uint32_t> palette;
        for (std::uint32_t i = 0; i < 256; ++i) palette.push_back(i * 0x010307u & 0xFFFFFF);
        packed.SetPalette(palette);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 11; ++x) {
                const auto value = static_cast<std::uint32_t>((x * 7 + y * 13) % 16);
                const std::uint32_t colour = depth > 8 ? value * 0x0F0E0D : palette[value];
                std::uint8_t* p = rgb.Row(y) + 3 * x;
                p[0] = static_cast<std::uint8_t>(colour);
                p[1] = static_cast<std::uint8_t>(colour >> 8);
                p[2] = static_cast<std::uint8_t>(colour >> 16);
                std::uint8_t* row = packed.Row(y);
                if (depth == 1) row[x / 8] |= static_cast<std::uint8_t>((value & 1) << (7 - x % 8));
                if (depth == 4) row[x / 2] |= static_cast<std::uint8_t>(value << (x % 2 ? 0 : 4));
                if (depth == 8) row[x] = static_cast<std::uint8_t>(value);
                if (depth == 32) std::copy_n(p, 3, row + 4 * x);
            }
        }
        if (depth == 1) {
            for (int y = 0; y < 5; ++y) {  // one bit keeps only the low bit of the value
                for (int x = 0; x < 11; ++x) {
                    const std::uint32_t colour = palette[packed.PixelValue(x, y)];
                    std::uint8_t* p = rgb.Row(y) + 3 * x;
                    p[0] = static_cast<std::uint8_t>(colour);
                    p[1] = static_cast<std::uint8_t>(colour >> 8);
                    p[2] = static_cast<std::uint8_t>(colour >> 16);
                }
            }
        }
        for (int n = 2; n <= 8; ++n) {
            const Dib a = ApplyOrientation(packed, static_cast<Orientation>(n));
            const Dib b = ApplyOrientation(rgb, static_cast<Orientation>(n));
            ASSERT_EQ(a.BitCount(), depth);
            ASSERT_EQ(a.Width(), b.Width());
            ASSERT_EQ(a.Height(), b.Height());
            int wrong = 0;
            for (int y = 0; y < a.Height(); ++y) {
                for (int x = 0; x < a.Width(); ++x) wrong += a.PixelRgb(x, y) != b.PixelRgb(x, y);
            }
            EXPECT_EQ(wrong, 0) << "orientation " << n;
        }
    }
}

// Stands in for the image library: the exact quarters picture for any file, remembering the
// thumbnail box it was given.
class QuartersReader : public MDiskImage {
  public:
    explicit QuartersReader(const std::string& path) : MDiskImage(path, "jpg") {
        ImageInfo.Width = testing::kQuartersWidth;
        ImageInfo.Height = testing::kQuartersHeight;
        ImageInfo.BitCount = 24;
    }
    void StretchLines(Dib& bitmap, std::int32_t count) override {
        StretchRows(bitmap, count, false, [](std::int32_t y) { return Quarters().Row(y); });
    }

  private:
    static const Dib& Quarters() {
        static const Dib quarters = testing::QuartersDib();
        return quarters;
    }
};

TEST(Orientation, FactoryTurnsTheBoxAndTheReaderTurnsTheThumbnail) {
    std::optional<SamplingBox> seen;
    SetSizedLibraryReaderFactory(
        [&seen](const std::string& path, const std::string&, std::optional<SamplingBox> box) {
            seen = box;
            return std::make_unique<QuartersReader>(path);
        });
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        const std::string file = test::Fixture("readers/jpg/orient-" + std::to_string(n) + ".jpg");
        const auto reader = CreateDiskImage(file, "jpg", SamplingBox{94, 78});
        ASSERT_TRUE(reader);
        ASSERT_TRUE(seen);
        // A quarter-turned photograph is decoded into the box turned the same way.
        EXPECT_EQ(seen->Width, n >= 5 ? 78 : 94);
        EXPECT_EQ(seen->Height, n >= 5 ? 94 : 78);
        EXPECT_EQ(reader->UprightWidth(), n >= 5 ? 24 : 40);
        EXPECT_EQ(reader->UprightHeight(), n >= 5 ? 40 : 24);
        const Dib upright =
            StretchUpright(*reader, reader->UprightWidth() / 2, reader->UprightHeight() / 2);
        EXPECT_EQ(upright.Width(), reader->UprightWidth() / 2);
        EXPECT_EQ(upright.Height(), reader->UprightHeight() / 2);
        EXPECT_EQ(CornersOf(upright), kUprightCorners[static_cast<std::size_t>(n)]);
    }
    SetSizedLibraryReaderFactory(nullptr);
}

// The own TIFF reader's pictures are turned too.
TEST(Orientation, OwnTiffReaderPicturesAreTurned) {
    for (const auto& [file, n] :
         {std::pair{"readers/tif/orient-2.tif", 2}, std::pair{"readers/tif/orient-6.tif", 6}}) {
        SCOPED_TRACE(file);
        const auto reader = CreateDiskImage(test::Fixture(file), "tif");
        ASSERT_TRUE(reader);
        const Dib upright =
            StretchUpright(*reader, reader->UprightWidth(), reader->UprightHeight());
        EXPECT_EQ(upright.Width(), n >= 5 ? 24 : 40);
        EXPECT_EQ(CornersOf(upright), kUprightCorners[static_cast<std::size_t>(n)]);
    }
}

}  // namespace
}  // namespace pixelary
