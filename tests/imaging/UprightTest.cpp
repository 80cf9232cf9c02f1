// SPDX-License-Identifier: GPL-3.0-or-later
// Photographs are shown upright by their orientation tag wherever the program draws a picture
// file: the scanner's thumbnails, the wallpaper and printed pictures, through the image library
// (JPEG, compressed TIFF) and the own TIFF reader.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "fileops/Wallpaper.h"
#include "fileops/WallpaperImage.h"
#include "print/MPrint.h"
#include "readers/ThumbnailSize.h"
#include "readers/library/Rwlib.h"
#include "scanner/FileThumbnail.h"
#include "support/Quarters.h"

namespace pixelary {
namespace {

using testing::CornersOf;
using testing::kUprightCorners;

std::string DataFile(const std::string& relative) {
    return std::string(PIXELARY_TEST_DATA) + "/" + relative;
}

struct Photo {
    std::string file;
    int orientation;
};

std::vector<Photo> Photos() {
    std::vector<Photo> photos;
    for (int n = 1; n <= 8; ++n)
        photos.push_back({"readers/jpg/orient-" + std::to_string(n) + ".jpg", n});
    photos.push_back({"readers/tif/orient-2.tif", 2});  // the own TIFF reader
    photos.push_back({"readers/tif/orient-6.tif", 6});
    photos.push_back({"readers/tif/orient-7-jpeg.tif", 7});  // the library's TIFF decoding
    return photos;
}

int UprightWidth(int n) {
    return n >= 5 ? testing::kQuartersHeight : testing::kQuartersWidth;
}
int UprightHeight(int n) {
    return n >= 5 ? testing::kQuartersWidth : testing::kQuartersHeight;
}

std::string KeyOf(const std::string& file) {
    return file.substr(file.size() - 3);
}

class Upright : public ::testing::Test {
  protected:
    void SetUp() override { RegisterLibraryReader(PIXELARY_BIN_DIR); }
    void TearDown() override { SetLibraryReaderFactory(nullptr); }
};

TEST_F(Upright, ThumbnailsFitTheBoxInTheUprightShape) {
    for (const Photo& p : Photos()) {
        SCOPED_TRACE(p.file);
        for (const auto& [bw, bh] : {std::pair{94, 78}, std::pair{12, 9}}) {
            const Dib thumb = MakeFileThumbnail(DataFile(p.file), KeyOf(p.file), bw, bh);
            const ThumbnailExtent size =
                ThumbnailSize(UprightWidth(p.orientation), UprightHeight(p.orientation), bw, bh);
            ASSERT_EQ(thumb.Width(), size.Width) << bw << "x" << bh;
            ASSERT_EQ(thumb.Height(), size.Height);
            EXPECT_EQ(CornersOf(thumb), kUprightCorners[static_cast<std::size_t>(p.orientation)]);
        }
    }
}

TEST_F(Upright, WallpapersAreUpright) {
    for (const Photo& p : Photos()) {
        SCOPED_TRACE(p.file);
        const fileops::Size screen{30, 30};
        const Dib wallpaper = fileops::MakeWallpaperBitmap(DataFile(p.file), KeyOf(p.file), screen);
        const fileops::Size expected = fileops::WallpaperTargetSize(
            {UprightWidth(p.orientation), UprightHeight(p.orientation)}, screen);
        ASSERT_EQ(wallpaper.Width(), expected.width);
        ASSERT_EQ(wallpaper.Height(), expected.height);
        EXPECT_EQ(CornersOf(wallpaper), kUprightCorners[static_cast<std::size_t>(p.orientation)]);
    }
}

TEST_F(Upright, PrintedPicturesAreUpright) {
    for (const Photo& p : Photos()) {
        SCOPED_TRACE(p.file);
        // A box that keeps the picture's own size, and one it must shrink into.
        const Dib full = LoadScaledPicture(DataFile(p.file), 100, 100);
        ASSERT_EQ(full.Width(), UprightWidth(p.orientation));
        ASSERT_EQ(full.Height(), UprightHeight(p.orientation));
        EXPECT_EQ(CornersOf(full), kUprightCorners[static_cast<std::size_t>(p.orientation)]);
        const Dib small = LoadScaledPicture(DataFile(p.file), 20, 20);
        EXPECT_EQ(std::max(small.Width(), small.Height()), 20);
        EXPECT_EQ(small.Width() < small.Height(), p.orientation >= 5);
        EXPECT_EQ(CornersOf(small), kUprightCorners[static_cast<std::size_t>(p.orientation)]);
    }
}

// A photograph stored portrait and tagged to be turned a quarter: the reduced decode keeps the
// rows of the turned thumbnail, so the thumbnail is sampled from a copy that covers it.
TEST_F(Upright, ReducedDecodeCoversTheTurnedThumbnail) {
    testing::TempDir folder;
    test::Component c;
    c.image.Picture().Bitmap() = TPixBitmap::FromDib(testing::QuartersDib(384, 640));
    const std::string plain = folder.File("plain.jpg");
    ASSERT_TRUE(c.image.SaveAs(plain, TSaveFormat::JPG)) << c.lastText;
    // The Exif block (orientation 6, little-endian) goes right after the start of image.
    std::ifstream in(plain, std::ios::binary);
    std::vector<char> jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::vector<unsigned char> exif = {
        0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
        1,    0,    0x12, 0x01, 3,   0,   1,   0,   0, 0, 6,   0,   0,  0, 0, 0, 0, 0};
    jpeg.insert(jpeg.begin() + 2, exif.begin(), exif.end());
    const std::string turned = folder.File("turned.jpg");
    std::ofstream(turned, std::ios::binary).write(jpeg.data(), static_cast<long>(jpeg.size()));

    const auto reader = CreateDiskImage(turned, "jpg", SamplingBox{94, 78});
    auto* library = dynamic_cast<MDiskLIB*>(reader.get());
    ASSERT_NE(library, nullptr);
    ASSERT_EQ(reader->GetOrientation(), Orientation::Rotate90);
    // Upright 640 x 384 fits as 93 x 56; the stored copy keeps 93 rows at least 56 wide.
    const ThumbnailExtent size = ThumbnailSize(640, 384, 94, 78);
    EXPECT_EQ(library->CopyHeight(), size.Width);
    EXPECT_GE(library->CopyWidth(), size.Height);
    const Dib thumb = MakeFileThumbnail(turned, "jpg", 94, 78);
    EXPECT_EQ(thumb.Width(), size.Width);
    EXPECT_EQ(thumb.Height(), size.Height);
    EXPECT_EQ(CornersOf(thumb), kUprightCorners[6]);
}

}  // namespace
}  // namespace pixelary
