// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "readers/library/Rwlib.h"

namespace pixelary {
namespace {

using testing::TempDir;

class LibraryReader : public ::testing::Test {
  protected:
    void SetUp() override { RegisterLibraryReader(PIXELARY_BIN_DIR); }
    void TearDown() override { SetLibraryReaderFactory(nullptr); }

    // Follows the callers' protocol at full size.
    static Dib Decode(MDiskImage& reader) {
        Dib dib(reader.GetWidth(), reader.GetHeight(), reader.GetBitCount());
        if (reader.GetBitCount() <= 8) dib.SetPalette(reader.GetPalette());
        reader.StretchBegin(0, 0, reader.GetWidth(), reader.GetHeight(), reader.GetWidth(),
                            reader.GetHeight());
        reader.StretchLines(dib, reader.GetHeight());
        reader.StretchEnd();
        return dib;
    }
};

TEST_F(LibraryReader, JpegAndGifGoToTheLibraryAtTheirDecodedDepth) {
    auto jpeg = CreateDiskImage(test::Fixture("jpg/colour.jpg"), "jpg");
    ASSERT_NE(dynamic_cast<MDiskLIB*>(jpeg.get()), nullptr);
    EXPECT_EQ(jpeg->GetBitCount(), 24);
    EXPECT_EQ(jpeg->GetXResolution(), 72);
    EXPECT_EQ(jpeg->GetColorCount(), 0);

    auto gif = CreateDiskImage(test::Fixture("gif/plain.gif"), ".GIF");
    ASSERT_NE(dynamic_cast<MDiskLIB*>(gif.get()), nullptr);
    EXPECT_EQ(gif->GetBitCount(), 8);
    EXPECT_EQ(gif->GetColorCount(), 256);
    const Dib rows = Decode(*gif);
    // Rows arrive top first with the palette: the black square is at the top left.
    EXPECT_EQ(rows.PixelRgb(2, 2), 0u);
    test::Component c;
    ASSERT_TRUE(c.Load(test::Fixture("gif/plain.gif")));
    EXPECT_EQ(test::MaxDifference(TPixBitmap::FromDib(rows), c.image.Picture().Bitmap()), 0);
    // The shared component was cleared after the copy.
    EXPECT_TRUE(RWPixImage().Picture().Bitmap().Empty());
    EXPECT_EQ(RWPixImage().ImageName(), "");
}

TEST_F(LibraryReader, FilesTheOwnReadersRefuseFallBackToTheLibrary) {
    for (const char* file : {"tif/lzw.tif", "tif/grey.tif", "tif/jpeg.tif", "bmp/rle4.bmp",
                             "bmp/rle8.bmp", "tga/rle.tga", "tga/grey-rle.tga"}) {
        const std::string path = test::Fixture(file);
        const std::string extension = path.substr(path.size() - 3);
        auto reader = CreateDiskImage(path, extension);
        ASSERT_NE(reader, nullptr) << file;
        EXPECT_NE(dynamic_cast<MDiskLIB*>(reader.get()), nullptr) << file;
        EXPECT_EQ(reader->GetWidth(), 40) << file;
        EXPECT_EQ(Decode(*reader).PixelRgb(2, 2) & 0xFF, 0u) << file;
    }
}

TEST_F(LibraryReader, UndecodableFileGivesNoReaderAndNoMessage) {
    TempDir folder;
    const std::string path = folder.File("broken.jpg");
    std::ofstream(path) << std::string(100, 'z');
    int shown = 0;
    TPixImage::SetMessageSink([&](const std::string&) { ++shown; });
    EXPECT_EQ(CreateDiskImage(path, "jpg"), nullptr);
    EXPECT_THROW(MDiskLIB(path, "jpg"), EInOutError);
    TPixImage::SetMessageSink(nullptr);
    EXPECT_EQ(shown, 0);
}

// A 2 x 1 BMP with 16-bit pixels: bit fields 5-6-5 when fields is true, else plain 5-5-5.
std::string SixteenBitBmp(const TempDir& folder, bool fields, std::uint16_t a, std::uint16_t b) {
    std::vector<std::uint8_t> bytes;
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const std::uint32_t offset = 14 + 40 + (fields ? 12 : 0);
    bytes = {'B', 'M'};
    put(offset + 4, 4);
    put(0, 4);
    put(offset, 4);
    put(40, 4), put(2, 4), put(1, 4), put(1, 2), put(16, 2), put(fields ? 3 : 0, 4);
    put(4, 4), put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
    if (fields) put(0xF800, 4), put(0x07E0, 4), put(0x001F, 4);
    put(a, 2);
    put(b, 2);
    const std::string path = folder.File(fields ? "565.bmp" : "555.bmp");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST_F(LibraryReader, SixteenBitCopiesAreExpandedToTwentyFourBits) {
    TempDir folder;
    MDiskLIB wide(SixteenBitBmp(folder, true, 0xFFFF, 0x07E0), "bmp");
    EXPECT_EQ(wide.GetBitCount(), 24);
    Dib rows = Decode(wide);
    EXPECT_EQ(rows.PixelRgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(rows.PixelRgb(1, 0), 0x00FF00u);

    MDiskLIB narrow(SixteenBitBmp(folder, false, 0x7FFF, 0x0421), "bmp");
    rows = Decode(narrow);
    EXPECT_EQ(rows.PixelRgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(rows.PixelRgb(1, 0), 0x0F0F0Fu);  // the 5-bit value 1 becomes 15
}

TEST_F(LibraryReader, DownscalesLikeEveryReader) {
    auto reader = CreateDiskImage(test::Fixture("png/palette.png"), "png");
    ASSERT_NE(reader, nullptr);
    Dib dib(10, 5, reader->GetBitCount());
    dib.SetPalette(reader->GetPalette());
    reader->StretchBegin(0, 0, 40, 30, 10, 5);
    reader->StretchLines(dib, 100);
    reader->StretchEnd();
    const Dib full = Decode(*reader);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 10; ++x) EXPECT_EQ(dib.PixelRgb(x, y), full.PixelRgb(x * 4, y * 6));
    }
}

}  // namespace
}  // namespace pixelary

namespace pixelary {
namespace {

// pixthumb, the scanner's thumbnail path as a program, makes thumbnails of the library formats.
TEST(PixthumbLibrary, MakesThumbnailsOfEveryLibraryFormat) {
    testing::TempDir folder;
    const std::string out = folder.File("thumb.bmp");
    for (const char* file : {"jpg/colour.jpg", "jpg/cmyk.jpg", "gif/animated.gif", "png/rgba.png",
                             "eps/tiff-preview.eps", "tif/jpeg.tif", "bmp/rle4.bmp"}) {
        std::filesystem::remove(out);
        const std::string command =
            std::string(PIXELARY_BIN_DIR) + "/pixthumb '" + test::Fixture(file) + "' '" + out + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << file;
        ASSERT_TRUE(std::filesystem::exists(out)) << file;
        const Dib thumb = Dib::LoadFromFile(out);
        EXPECT_EQ(thumb.Width(), 93) << file;  // 40 x 30 fitted into the 94 x 78 box
        EXPECT_EQ(thumb.Height(), 70) << file;
    }
}

}  // namespace
}  // namespace pixelary

namespace pixelary {
namespace {

// Thumbnails sample every tenth pixel or so of a drawing; the widened strokes keep its lines.
TEST(PixthumbLibrary, DrawingThumbnailsKeepTheirLines) {
    RegisterLibraryReader(PIXELARY_BIN_DIR);
    auto reader = CreateDiskImage(test::Fixture("dxf/dxflib-r2000.dxf"), "dxf");
    ASSERT_NE(reader, nullptr);
    Dib thumb(78, 78, reader->GetBitCount());
    thumb.SetPalette(reader->GetPalette());
    reader->StretchBegin(0, 0, reader->GetWidth(), reader->GetHeight(), 78, 78);
    reader->StretchLines(thumb, 78);
    SetLibraryReaderFactory(nullptr);
    int ink = 0;
    for (int y = 0; y < 78; ++y) {
        for (int x = 0; x < 78; ++x) ink += thumb.PixelRgb(x, y) == 0 ? 1 : 0;
    }
    EXPECT_EQ(thumb.PixelRgb(0, 40), 0u);  // the square's left side
    EXPECT_EQ(thumb.PixelRgb(40, 0), 0u);  // and its top
    EXPECT_GT(ink, 400);                   // the triangle alone covers about 350
}

}  // namespace
}  // namespace pixelary

namespace pixelary {
namespace {

// The batch form writes DIR/<input file name>.bmp for each input, the same thumbnail the single
// form makes, and goes on past a file it cannot read.
TEST(PixthumbLibrary, BatchFormThumbnailsEveryInputIntoTheFolder) {
    testing::TempDir folder;
    const std::string pixthumb = std::string(PIXELARY_BIN_DIR) + "/pixthumb";
    const std::string jpeg = test::Fixture("jpg/colour.jpg");
    const std::string gif = test::Fixture("gif/plain.gif");
    const std::string missing = folder.File("missing.png");
    const std::string outdir = folder.File("out");
    std::filesystem::create_directory(outdir);
    const std::string batch = pixthumb + " --box 60x40 --outdir '" + outdir + "' '" + jpeg + "' '" +
                              missing + "' '" + gif + "'";
    EXPECT_EQ(WEXITSTATUS(std::system(batch.c_str())), 1);  // one input made no thumbnail
    for (const std::string& input : {jpeg, gif}) {
        const std::string single = folder.File("single.bmp");
        const std::string command = pixthumb + " --box 60x40 '" + input + "' '" + single + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string name = std::filesystem::path(input).filename().string() + ".bmp";
        const Dib made = Dib::LoadFromFile(outdir + "/" + name);
        EXPECT_EQ(made.Width(), 53) << input;  // 40 x 30 fitted into 60 x 40
        EXPECT_EQ(test::MaxDifference(TPixBitmap::FromDib(made),
                                      TPixBitmap::FromDib(Dib::LoadFromFile(single))),
                  0)
            << input;
    }
    EXPECT_FALSE(std::filesystem::exists(outdir + "/missing.png.bmp"));
}

}  // namespace
}  // namespace pixelary
