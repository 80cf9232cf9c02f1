// SPDX-License-Identifier: GPL-3.0-or-later
// Thumbnails through the library reader given the thumbnail box: a reduced JPEG decode, or only
// the sampled rows of PNG, GIF and TIFF pictures, against the full decode sampled the same way.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "TestSupport.h"
#include "readers/ThumbnailSize.h"
#include "readers/library/Rwlib.h"

namespace pixelary {
namespace {

using testing::TempDir;

constexpr SamplingBox kBox{kThumbnailBoxWidth, kThumbnailBoxHeight};

// Noise that differs from every row and column to the next, so a wrong row shows.
TPixBitmap Noise(int width, int height) {
    TPixBitmap bitmap;
    bitmap.SetSize(width, height, TPixelFormat::pf24bit);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < 3 * width; ++x) {
            state = state * 1103515245u + 12345u;
            row[x] = static_cast<std::uint8_t>(state >> 23);
        }
    }
    return bitmap;
}

// An 8-bit palette picture whose index changes with every row and column.
TPixBitmap IndexedNoise(int width, int height) {
    TPixBitmap bitmap;
    bitmap.SetSize(width, height, TPixelFormat::pf8bit);
    std::vector<std::uint32_t> palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x010305u & 0xFFFFFFu;
    bitmap.SetPalette(palette);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) row[x] = static_cast<std::uint8_t>((x * 7 + y * 13) ^ y);
    }
    return bitmap;
}

class ReducedDecode : public ::testing::Test {
  protected:
    void SetUp() override { RegisterLibraryReader(PIXELARY_BIN_DIR); }
    void TearDown() override { SetLibraryReaderFactory(nullptr); }

    // Saves picture through the component into the folder under name.
    std::string Save(const TPixBitmap& picture, const std::string& name, TSaveFormat format,
                     TTifCompress compress = TTifCompress::sNONE, bool interlaced = false) {
        test::Component c;
        c.image.Picture().Bitmap() = picture;
        c.image.TifSaveCompress = compress;
        c.image.PNGInterLaced = interlaced;
        const std::string path = folder_.File(name);
        EXPECT_TRUE(c.image.SaveAs(path, format)) << c.lastText;
        return path;
    }

    // The scanner's protocol: a reader made with or without the box, the picture fitted into it.
    static Dib Thumbnail(MDiskImage& reader) {
        const ThumbnailExtent size = ThumbnailSize(reader.GetWidth(), reader.GetHeight());
        return StretchWholePicture(reader, size.Width, size.Height);
    }

    static std::unique_ptr<MDiskLIB> Reader(const std::string& path,
                                            std::optional<SamplingBox> box) {
        const std::string key = path.substr(path.size() - 3);
        std::unique_ptr<MDiskImage> reader = CreateDiskImage(path, key, box);
        auto* library = dynamic_cast<MDiskLIB*>(reader.get());
        if (library == nullptr) return nullptr;
        reader.release();
        return std::unique_ptr<MDiskLIB>(library);
    }

    // Thumbnails with and without the box: same size, and their mean channel difference.
    static double CompareThumbnails(const std::string& path) {
        auto full = Reader(path, std::nullopt);
        auto reduced = Reader(path, kBox);
        if (!full || !reduced) {
            ADD_FAILURE() << path << ": no library reader";
            return 255;
        }
        EXPECT_EQ(reduced->GetWidth(), full->GetWidth());
        EXPECT_EQ(reduced->GetHeight(), full->GetHeight());
        const Dib a = Thumbnail(*full);
        const Dib b = Thumbnail(*reduced);
        EXPECT_EQ(a.Width(), b.Width());
        EXPECT_EQ(a.Height(), b.Height());
        if (a.Width() != b.Width() || a.Height() != b.Height()) return 255;
        return test::MeanDifference(TPixBitmap::FromDib(a), TPixBitmap::FromDib(b));
    }

    TempDir folder_;
};

TEST_F(ReducedDecode, JpegDecodesAtTheSmallestScaleThatCoversTheThumbnail) {
    // 800 x 600 fits as 94 x 70: 1/8 gives 100 x 75, which covers it.
    const std::string large = Save(test::Gradient(800, 600), "large.jpg", TSaveFormat::JPG);
    auto reader = Reader(large, kBox);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->GetWidth(), 800);
    EXPECT_EQ(reader->GetHeight(), 600);
    EXPECT_EQ(reader->CopyWidth(), 100);
    EXPECT_EQ(reader->CopyHeight(), 70);  // only the sampled rows of the 75
    // 600 x 450 fits as 94 x 70: 1/8 gives 75 x 57, too narrow; 1/4 gives 150 x 113.
    const std::string medium = Save(test::Gradient(600, 450), "medium.jpg", TSaveFormat::JPG);
    EXPECT_EQ(Reader(medium, kBox)->CopyWidth(), 150);
    // Full-size callers pass no box and get every pixel.
    auto full = Reader(large, std::nullopt);
    EXPECT_EQ(full->CopyWidth(), 800);
    EXPECT_EQ(full->CopyHeight(), 600);
    // The shared component holds no picture and no sampling request afterwards.
    EXPECT_TRUE(RWPixImage().Picture().Bitmap().Empty());
}

TEST_F(ReducedDecode, ReducedJpegThumbnailsMatchTheFullDecodeSampled) {
    const double smooth =
        CompareThumbnails(Save(test::Gradient(1600, 1200), "smooth.jpg", TSaveFormat::JPG));
    std::cout << "mean channel difference, 1600 x 1200 gradient JPEG: " << smooth << '\n';
    EXPECT_LT(smooth, 1.5);
    // Portrait and wide pictures keep their orientation and place. A reduced pixel is the mean of
    // up to 8 x 8 pixels, so steep gradients differ from a single sampled pixel by a few levels.
    const double tall =
        CompareThumbnails(Save(test::Gradient(700, 1500), "tall.jpg", TSaveFormat::JPG));
    const double wide =
        CompareThumbnails(Save(test::Gradient(3000, 200), "wide.jpg", TSaveFormat::JPG));
    std::cout << "700 x 1500: " << tall << ", 3000 x 200: " << wide << '\n';
    EXPECT_LT(tall, 3);
    EXPECT_LT(wide, 3);
}

TEST_F(ReducedDecode, PngGifAndTiffKeepOnlyTheSampledRowsAndMatchExactly) {
    const TPixBitmap colour = Noise(900, 500);
    const TPixBitmap indexed = IndexedNoise(700, 900);
    std::vector<std::string> paths = {
        Save(colour, "colour.png", TSaveFormat::PNG),
        Save(indexed, "indexed.png", TSaveFormat::PNG),
        Save(colour, "adam7.png", TSaveFormat::PNG, TTifCompress::sNONE, true),
        Save(indexed, "adam7-indexed.png", TSaveFormat::PNG, TTifCompress::sNONE, true),
        Save(indexed, "indexed.gif", TSaveFormat::GIF),
        Save(colour, "colour.tif", TSaveFormat::TIF, TTifCompress::sLZW),
        Save(indexed, "indexed.tif", TSaveFormat::TIF, TTifCompress::sLZW),
    };
    if (test::HaveImageMagick()) {
        // Half-transparent pictures, composited on white row by row (and after the last pass).
        for (const char* name : {"alpha.png", "alpha-adam7.png"}) {
            const std::string path = folder_.File(name);
            const std::string interlace = name == std::string("alpha.png") ? "None" : "PNG";
            // Red to blue from top to bottom, opaque to clear from left to right.
            const std::string command =
                "convert -size 600x400 gradient:red-blue \\( -size 400x600 gradient:white-black "
                "-rotate 90 \\) -alpha off -compose CopyOpacity -composite -interlace " +
                interlace + " '" + path + "'";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
            paths.push_back(path);
        }
    }
    for (const std::string& path : paths) {
        auto reader = Reader(path, kBox);
        ASSERT_NE(reader, nullptr) << path;
        const ThumbnailExtent size = ThumbnailSize(reader->GetWidth(), reader->GetHeight());
        EXPECT_EQ(reader->CopyWidth(), reader->GetWidth()) << path;
        EXPECT_EQ(reader->CopyHeight(), size.Height) << path;
        EXPECT_EQ(CompareThumbnails(path), 0.0) << path;
    }
}

TEST_F(ReducedDecode, TiledAndJpegCompressedTiffsAreDecodedBandByBand) {
    if (std::system("command -v tiffcp > /dev/null 2>&1") != 0) GTEST_SKIP() << "no tiffcp";
    const std::string plain = Save(Noise(640, 480), "plain.tif", TSaveFormat::TIF);
    const std::string tiled = folder_.File("tiled.tif");
    const std::string jpeg = folder_.File("jpeg.tif");
    ASSERT_EQ(std::system(("tiffcp -t -w 64 -l 64 '" + plain + "' '" + tiled + "'").c_str()), 0);
    ASSERT_EQ(std::system(("tiffcp -c jpeg -r 16 '" + plain + "' '" + jpeg + "'").c_str()), 0);
    for (const std::string& path : {tiled, jpeg}) {
        auto reader = Reader(path, kBox);
        ASSERT_NE(reader, nullptr) << path;
        EXPECT_EQ(reader->CopyHeight(), ThumbnailSize(640, 480).Height) << path;
        EXPECT_EQ(CompareThumbnails(path), 0.0) << path;
    }
}

// (A truncated JPEG is decoded as far as it goes, reduced or not, as libjpeg does.)
TEST_F(ReducedDecode, DamagedFilesAreStillRefused) {
    const std::string png = Save(Noise(400, 300), "whole.png", TSaveFormat::PNG);
    const std::string gif = Save(IndexedNoise(400, 300), "whole.gif", TSaveFormat::GIF);
    const std::string tif =
        Save(Noise(400, 300), "whole.tif", TSaveFormat::TIF, TTifCompress::sLZW);
    for (const std::string& path : {png, gif, tif}) {
        const auto size = std::filesystem::file_size(path);
        std::filesystem::resize_file(path, size / 3);
        EXPECT_EQ(CreateDiskImage(path, path.substr(path.size() - 3), kBox), nullptr) << path;
    }
}

}  // namespace
}  // namespace pixelary
