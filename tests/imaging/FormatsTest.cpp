// SPDX-License-Identifier: GPL-3.0-or-later
// Round trips through the component for every save format and option, checked by the
// component itself and by ImageMagick, and reads of files made by other encoders.
#include <gtest/gtest.h>

#include <fstream>

#include "TestSupport.h"
#include "codecs/CodecAbi.h"

namespace pixelary {
namespace {

using test::Component;
using testing::TempDir;

class RoundTrip : public ::testing::Test {
  protected:
    TempDir folder;
    Component c;
    std::string path;

    // Saves bitmap in a format and loads it back.
    TPixBitmap SaveAndLoad(const TPixBitmap& bitmap, TSaveFormat format, const std::string& name) {
        c.image.Picture().Bitmap() = bitmap;
        path = folder.File(name);
        EXPECT_TRUE(c.image.SaveAs(path, format)) << name << ": " << c.lastText;
        EXPECT_TRUE(c.Load(path)) << name << ": " << c.lastText;
        return c.image.Picture().Bitmap();
    }
    void SkipWithoutImageMagick() {
        if (!test::HaveImageMagick()) GTEST_SKIP() << "ImageMagick not installed";
    }
};

struct FormatCase {
    TSaveFormat format;
    const char* name;
    const char* magick;
};
constexpr FormatCase kPaletteFormats[] = {
    {TSaveFormat::BMP, "a.bmp", "BMP"},  {TSaveFormat::PNG, "a.png", "PNG"},
    {TSaveFormat::TIF, "a.tif", "TIFF"}, {TSaveFormat::PCX, "a.pcx", "PCX"},
    {TSaveFormat::GIF, "a.gif", "GIF"},  {TSaveFormat::TGA, "a.tga", "TGA"}};

TEST_F(RoundTrip, LosslessFormatsKeepTrueColourExactly) {
    const TPixBitmap source = test::Gradient(37, 23);
    for (const FormatCase& k : kPaletteFormats) {
        if (k.format == TSaveFormat::GIF) continue;
        const TPixBitmap back = SaveAndLoad(source, k.format, k.name);
        EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf24bit) << k.name;
        EXPECT_EQ(test::MaxDifference(source, back), 0) << k.name;
        if (test::HaveImageMagick()) {
            EXPECT_EQ(test::Identify("%m %w %h", path).rfind(k.magick, 0), 0u) << k.name;
            EXPECT_EQ(test::Identify("%w %h", path), "37 23") << k.name;
        }
    }
}

TEST_F(RoundTrip, PalettePicturesKeepTheirPaletteAt256Colours) {
    const TPixBitmap source = test::Stripes(29, 17, 200);
    c.image.ImageWriteRes = TImageWriteRes::sColor256;
    for (const FormatCase& k : kPaletteFormats) {
        const TPixBitmap back = SaveAndLoad(source, k.format, k.name);
        EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf8bit) << k.name;
        EXPECT_EQ(test::MaxDifference(source, back), 0) << k.name;
        if (test::HaveImageMagick()) {
            EXPECT_EQ(test::Identify("%w %h %k", path), "29 17 200") << k.name;
        }
    }
}

TEST_F(RoundTrip, MonochromeAndSixteenColourDepths) {
    const TPixBitmap source = test::Gradient(33, 9);
    for (const FormatCase& k : kPaletteFormats) {
        if (k.format == TSaveFormat::TGA) continue;  // Targa is always written at 8 bits or more
        c.image.ImageWriteRes = TImageWriteRes::sMonoChrome;
        TPixBitmap back = SaveAndLoad(source, k.format, std::string("m") + k.name);
        const bool gifReadsEightBits = k.format == TSaveFormat::GIF;
        EXPECT_EQ(back.PixelFormat(),
                  gifReadsEightBits ? TPixelFormat::pf8bit : TPixelFormat::pf1bit)
            << k.name;
        if (test::HaveImageMagick()) {
            EXPECT_LE(std::stoi(test::Identify("%k", path)), 2) << k.name;
        }

        c.image.ImageWriteRes = TImageWriteRes::sColor16;
        back = SaveAndLoad(source, k.format, std::string("s") + k.name);
        EXPECT_EQ(back.PixelFormat(),
                  gifReadsEightBits ? TPixelFormat::pf8bit : TPixelFormat::pf4bit)
            << k.name;
        EXPECT_LT(test::MeanDifference(source, back), 24) << k.name;
        if (test::HaveImageMagick()) {
            EXPECT_LE(std::stoi(test::Identify("%k", path)), 16) << k.name;
        }
    }
}

TEST_F(RoundTrip, GifFromTrueColourIsQuantised) {
    const TPixBitmap source = test::Gradient(64, 48);
    const TPixBitmap back = SaveAndLoad(source, TSaveFormat::GIF, "q.gif");
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_LT(test::MeanDifference(source, back), 6);
    EXPECT_GT(test::MaxDifference(source, back), 0);  // more than 256 colours came in
    if (test::HaveImageMagick()) {
        EXPECT_EQ(test::Identify("%m %w %h", path), "GIF 64 48");
    }
}

TEST_F(RoundTrip, EveryTiffCompression) {
    SkipWithoutImageMagick();
    const TPixBitmap source = test::Gradient(40, 20);
    struct Case {
        TTifCompress compress;
        const char* magick;
        bool bilevel;
    };
    for (Case k :
         {Case{TTifCompress::sNONE, "None", false}, Case{TTifCompress::sCCITT, "", true},
          Case{TTifCompress::sFAXCCITT3, "Fax", true},
          Case{TTifCompress::sFAXCCITT4, "Group4", true}, Case{TTifCompress::sLZW, "LZW", false},
          Case{TTifCompress::sPACKBITS, "RLE", false}}) {
        c.image.TifSaveCompress = k.compress;
        const std::string name =
            "c" + std::to_string(TPixImage::TiffCompressionCode(k.compress)) + ".tif";
        const TPixBitmap back = SaveAndLoad(source, TSaveFormat::TIF, name);
        if (*k.magick) {
            EXPECT_EQ(test::Identify("%C", path), k.magick) << name;
        }
        if (k.bilevel) {
            EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf1bit) << name;
            // Dark stays dark, light stays light.
            EXPECT_EQ(test::Identify("%[fx:p{0,0}.intensity<0.5]", path),
                      test::Rgb(back, 0, 0) == 0 ? "1" : "0")
                << name;
        } else {
            EXPECT_EQ(test::MaxDifference(source, back), 0) << name;
        }
    }
    c.image.TifSaveCompress = TTifCompress::sCCITT;
    SaveAndLoad(source, TSaveFormat::TIF, "rle.tif");
    EXPECT_NE(test::Run("tiffinfo '" + path + "'").find("Compression Scheme: CCITT RLE"),
              std::string::npos);
}

TEST_F(RoundTrip, TiffAppendAddsPagesAndTiffPageSelects) {
    const std::string file = folder.File("pages.tif");
    c.image.Picture().Bitmap() = test::Gradient(30, 20);
    ASSERT_TRUE(c.image.SaveAsTIF(file));
    c.image.TiffAppend = true;
    c.image.Picture().Bitmap() = test::Stripes(11, 7, 5);
    c.image.ImageWriteRes = TImageWriteRes::sColor256;
    ASSERT_TRUE(c.image.SaveAsTIF(file));
    c.image.TiffPage = 1;
    ASSERT_TRUE(c.Load(file));
    EXPECT_EQ(c.image.Picture().Bitmap().Width(), 11);
    EXPECT_EQ(test::MaxDifference(c.image.Picture().Bitmap(), test::Stripes(11, 7, 5)), 0);
    c.image.TiffPage = 2;
    EXPECT_FALSE(c.Load(file));
    EXPECT_EQ(c.lastCode, PIX_ERR_PAGE);
    if (test::HaveImageMagick()) {
        EXPECT_EQ(test::Identify("%w ", file), "30 11 ");
    }
}

TEST_F(RoundTrip, JpegQualitySmoothingAndGrey) {
    SkipWithoutImageMagick();
    const TPixBitmap source = test::Gradient(64, 64);
    c.image.SetJPegSaveQuality(90);
    TPixBitmap back = SaveAndLoad(source, TSaveFormat::JPG, "q90.jpg");
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_LT(test::MeanDifference(source, back), 3);
    EXPECT_EQ(test::Identify("%Q", path), "90");
    const auto large = std::filesystem::file_size(path);
    c.image.SetJPegSaveQuality(10);
    SaveAndLoad(source, TSaveFormat::JPG, "q10.jpg");
    EXPECT_EQ(test::Identify("%Q", path), "10");
    EXPECT_LT(std::filesystem::file_size(path), large);

    // Smoothing changes the coded picture; both stay readable.
    c.image.SetJPegSaveQuality(90);
    c.image.SetJPegSaveSmooth(1);
    const TPixBitmap sharp = SaveAndLoad(test::Stripes(64, 64, 2), TSaveFormat::JPG, "s1.jpg");
    c.image.SetJPegSaveSmooth(100);
    const TPixBitmap smooth = SaveAndLoad(test::Stripes(64, 64, 2), TSaveFormat::JPG, "s100.jpg");
    EXPECT_GT(test::MeanDifference(sharp, smooth), 1.0);

    c.image.ImageWriteRes = TImageWriteRes::sJpegGray;
    back = SaveAndLoad(source, TSaveFormat::JPG, "grey.jpg");
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(test::Identify("%[colorspace]", path), "Gray");
}

// The interlace method of a PNG file: byte 12 of the IHDR chunk's data, which follows the
// 8-byte signature and the chunk's 4-byte length and type (0 none, 1 Adam7; -1 not a PNG).
int PngInterlaceMethod(const std::string& path) {
    constexpr std::size_t kInterlaceByte = 8 + 4 + 4 + 12;
    std::ifstream in(path, std::ios::binary);
    std::vector<char> head(kInterlaceByte + 1);
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) return -1;
    if (std::string(head.data() + 1, 3) != "PNG" || std::string(head.data() + 12, 4) != "IHDR") {
        return -1;
    }
    return static_cast<unsigned char>(head[kInterlaceByte]);
}

TEST_F(RoundTrip, PngInterlacing) {
    const TPixBitmap source = test::Gradient(31, 17);
    SaveAndLoad(source, TSaveFormat::PNG, "plain.png");
    EXPECT_EQ(PngInterlaceMethod(path), 0);
    c.image.PNGInterLaced = true;
    const TPixBitmap back = SaveAndLoad(source, TSaveFormat::PNG, "adam7.png");
    EXPECT_EQ(test::MaxDifference(source, back), 0);
    EXPECT_EQ(PngInterlaceMethod(path), 1);
    if (test::HaveImageMagick()) {
        EXPECT_EQ(test::Identify("%[interlace]", path), "PNG");
    }
}

TEST_F(RoundTrip, SixteenBitPicturesAreSavedAsTrueColour) {
    TPixBitmap source;
    source.SetSize(2, 1, TPixelFormat::pf16bit);
    source.ScanLine(0)[0] = 0xFF;  // 0xFFFF: white
    source.ScanLine(0)[1] = 0xFF;
    source.ScanLine(0)[2] = 0xE0;  // 0x07E0: pure green in 5-6-5
    source.ScanLine(0)[3] = 0x07;
    const TPixBitmap back = SaveAndLoad(source, TSaveFormat::BMP, "565.bmp");
    EXPECT_EQ(test::Rgb(back, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(test::Rgb(back, 1, 0), 0x00FF00u);
}

// Files made by other encoders, compared with ImageMagick's own decoding of them.
struct FixtureCase {
    const char* file;
    TPixelFormat format;
    double tolerance;  // mean channel difference allowed against ImageMagick
    int page = 0;
    bool blackSquare = true;  // false where the square was made transparent
    // Compared with ImageMagick's decoding of this file of the same picture instead, where
    // ImageMagick misreads the fixture itself.
    const char* reference = nullptr;
};

void PrintTo(const FixtureCase& k, std::ostream* out) {
    *out << k.file << " page " << k.page;
}

// ImageMagick's decoding of a file as raw red-green-blue bytes. Targa and PCX files are
// decoded by netpbm: ImageMagick 6.9 reads Targa rows upside down and ignores the palette of
// 1-bit PCX files.
std::string ReferenceCommand(const std::string& file, int page) {
    const std::string flatten = " -background white -alpha remove -depth 8 RGB:-";
    const std::string extension = file.substr(file.size() - 4);
    if (extension == ".tga" || extension == ".pcx") {
        const std::string tool = extension == ".tga" ? "tgatoppm" : "pcxtoppm";
        return tool + " '" + file + "' | convert ppm:-" + flatten;
    }
    return "convert '" + file + "[" + std::to_string(page) + "]'" + flatten;
}

class ThirdPartyFiles : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(ThirdPartyFiles, DecodeLikeImageMagick) {
    const FixtureCase& k = GetParam();
    Component c;
    c.image.TiffPage = k.page;
    const std::string file = test::Fixture(k.file);
    ASSERT_TRUE(c.Load(file)) << c.lastText;
    const TPixBitmap& bitmap = c.image.Picture().Bitmap();
    EXPECT_EQ(bitmap.PixelFormat(), k.format);
    EXPECT_EQ(bitmap.Width(), k.page ? 20 : 40);
    EXPECT_EQ(bitmap.Height(), k.page ? 15 : 30);
    if (k.blackSquare) {
        EXPECT_LT(test::Rgb(bitmap, 2, 2) & 0xFF, 0x30u) << "the black square";
    }
    if (!test::HaveImageMagick()) return;
    const std::string referenceFile = k.reference ? test::Fixture(k.reference) : file;
    const std::string raw = test::Run(ReferenceCommand(referenceFile, k.page) + " | base64 -w0");
    const std::string bytes = test::Run("echo " + raw + " | base64 -d | od -An -v -tu1 -w3");
    TPixBitmap reference;
    reference.SetSize(bitmap.Width(), bitmap.Height(), TPixelFormat::pf24bit);
    std::istringstream in(bytes);
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            int r = 0, g = 0, b = 0;
            in >> r >> g >> b;
            std::uint8_t* p = reference.ScanLine(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(b);
            p[1] = static_cast<std::uint8_t>(g);
            p[2] = static_cast<std::uint8_t>(r);
        }
    }
    ASSERT_TRUE(in) << "ImageMagick gave too few pixels";
    EXPECT_LE(test::MeanDifference(bitmap, reference), k.tolerance);
}

using F = TPixelFormat;
INSTANTIATE_TEST_SUITE_P(
    Fixtures, ThirdPartyFiles,
    ::testing::Values(
        FixtureCase{"bmp/rle8.bmp", F::pf8bit, 0}, FixtureCase{"bmp/rle4.bmp", F::pf4bit, 0},
        FixtureCase{"bmp/bitfields-565.bmp", F::pf16bit, 4},
        // A 40-byte header with bit fields but no masks before the pixels: 5-5-5 pixels.
        FixtureCase{.file = "bmp/bitfields-555-no-masks.bmp",
                    .format = F::pf15bit,
                    .tolerance = 4,
                    .reference = "bmp/v5-24.bmp"},
        FixtureCase{"bmp/v5-24.bmp", F::pf24bit, 0}, FixtureCase{"bmp/pal4.bmp", F::pf4bit, 0},
        FixtureCase{"bmp/topdown-24.bmp", F::pf24bit, 0},
        FixtureCase{"bmp/os2-core.bmp", F::pf24bit, 0},
        FixtureCase{"bmp/v4-bitfields32.bmp", F::pf32bit, 0},
        FixtureCase{"png/palette.png", F::pf8bit, 0}, FixtureCase{"png/grey16.png", F::pf8bit, 1},
        FixtureCase{"png/rgba.png", F::pf24bit, 1, 0, false},
        FixtureCase{"png/interlaced.png", F::pf24bit, 1},
        FixtureCase{"png/grey-alpha.png", F::pf24bit, 1, 0, false},
        FixtureCase{"png/rgb16.png", F::pf24bit, 1}, FixtureCase{"gif/plain.gif", F::pf8bit, 0},
        FixtureCase{"gif/animated.gif", F::pf8bit, 0},
        FixtureCase{"gif/transparent.gif", F::pf8bit, 0, 0, false},
        FixtureCase{"gif/interlaced.gif", F::pf8bit, 0},
        FixtureCase{"jpg/colour.jpg", F::pf24bit, 2}, FixtureCase{"jpg/grey.jpg", F::pf8bit, 2},
        FixtureCase{"jpg/cmyk.jpg", F::pf24bit, 4},
        FixtureCase{"jpg/progressive.jpg", F::pf24bit, 2},
        FixtureCase{"tga/rle.tga", F::pf24bit, 0}, FixtureCase{"tga/raw.tga", F::pf24bit, 0},
        FixtureCase{"tga/grey-rle.tga", F::pf8bit, 0},
        FixtureCase{"tga/colourmapped.tga", F::pf8bit, 0},
        FixtureCase{"pcx/true.pcx", F::pf24bit, 0}, FixtureCase{"pcx/pal8.pcx", F::pf8bit, 0},
        FixtureCase{"pcx/mono.pcx", F::pf1bit, 0}, FixtureCase{"pcx/planar16.pcx", F::pf4bit, 0},
        FixtureCase{"tif/lzw.tif", F::pf24bit, 0}, FixtureCase{"tif/grey.tif", F::pf8bit, 0},
        FixtureCase{"tif/jpeg.tif", F::pf24bit, 2}, FixtureCase{"tif/g4.tif", F::pf1bit, 0},
        FixtureCase{"tif/tiled-zip.tif", F::pf24bit, 0},
        FixtureCase{"tif/palette-packbits.tif", F::pf4bit, 0.5},
        FixtureCase{"tif/two-pages.tif", F::pf24bit, 0},
        FixtureCase{"tif/two-pages.tif", F::pf24bit, 0, 1},
        FixtureCase{"tif/cmyk.tif", F::pf24bit, 4}, FixtureCase{"tif/rgb16.tif", F::pf24bit, 1},
        // Colour spaces libtiff converts: YCbCr in JPEG, CIELab, YCbCr in old-style JPEG. The
        // last two are compared with the same picture stored as RGB: ImageMagick's own Lab
        // conversion differs from libtiff's, and it converts old-style JPEG twice.
        FixtureCase{"tif/ycbcr-jpeg.tif", F::pf24bit, 1},
        FixtureCase{.file = "tif/lab.tif",
                    .format = F::pf24bit,
                    .tolerance = 5,
                    .reference = "tif/lzw.tif"},
        FixtureCase{.file = "tif/old-jpeg.tif",
                    .format = F::pf24bit,
                    .tolerance = 4,
                    .reference = "tif/lzw.tif"}),
    [](const ::testing::TestParamInfo<FixtureCase>& info) {
        std::string name = std::string(info.param.file) + std::to_string(info.param.page);
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        }
        return name;
    });

}  // namespace
}  // namespace pixelary
