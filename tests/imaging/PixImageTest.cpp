// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "TestSupport.h"
#include "codecs/CodecAbi.h"
#include "imaging/PixImage.h"

namespace pixelary {
namespace {

using test::Component;
using testing::TempDir;

TEST(PixImageSaveDepth, FollowsTheTableForEveryResolutionAndFormat) {
    using R = TImageWriteRes;
    using F = TSaveFormat;
    struct Row {
        R res;
        int jpeg, tga, gif, other;
    };
    const Row rows[] = {{R::sColorVga, 24, 8, 0, 0},   {R::sMonoChrome, 1, 8, 1, 1},
                        {R::sColor16, 24, 8, 4, 4},    {R::sColor256, 24, 8, 8, 8},
                        {R::sColorTrue, 24, 8, 8, 24}, {R::sJpegGray, 1, 8, 8, 8}};
    for (const Row& row : rows) {
        for (int screen : {1, 8, 24}) {
            EXPECT_EQ(TPixImage::SaveDepth(row.res, F::JPG, screen), row.jpeg);
            EXPECT_EQ(TPixImage::SaveDepth(row.res, F::TGA, screen), row.tga);
            EXPECT_EQ(TPixImage::SaveDepth(row.res, F::GIF, screen), row.gif);
            for (F f : {F::BMP, F::PNG, F::TIF, F::PCX}) {
                EXPECT_EQ(TPixImage::SaveDepth(row.res, f, screen), row.other);
            }
        }
    }
}

TEST(PixImageSaveDepth, AutomaticFollowsTheScreen) {
    using F = TSaveFormat;
    const auto automatic = TImageWriteRes::sAutoMatic;
    struct Case {
        int deviceBits, screen;
    };
    for (Case c : {Case{1, 4}, Case{4, 4}, Case{8, 8}, Case{12, 8}, Case{15, 8}, Case{16, 24},
                   Case{32, 24}}) {
        EXPECT_EQ(TPixImage::ScreenDepth(c.deviceBits), c.screen) << c.deviceBits;
        EXPECT_EQ(TPixImage::SaveDepth(automatic, F::JPG, c.deviceBits), 24);
        EXPECT_EQ(TPixImage::SaveDepth(automatic, F::TGA, c.deviceBits), std::max(c.screen, 8));
        EXPECT_EQ(TPixImage::SaveDepth(automatic, F::GIF, c.deviceBits), std::min(c.screen, 8));
        EXPECT_EQ(TPixImage::SaveDepth(automatic, F::BMP, c.deviceBits), c.screen);
    }
}

TEST(PixImageProperties, JpegSettingsOutsideTheirRangeFallBack) {
    TPixImage image;
    EXPECT_EQ(image.JPegSaveQuality(), 25);
    EXPECT_EQ(image.JPegSaveSmooth(), 5);
    image.SetJPegSaveQuality(90);
    image.SetJPegSaveSmooth(100);
    EXPECT_EQ(image.JPegSaveQuality(), 90);
    EXPECT_EQ(image.JPegSaveSmooth(), 100);
    image.SetJPegSaveQuality(0);
    image.SetJPegSaveSmooth(0);
    EXPECT_EQ(image.JPegSaveQuality(), 25);
    EXPECT_EQ(image.JPegSaveSmooth(), 5);
    image.SetJPegSaveQuality(101);
    image.SetJPegSaveSmooth(-3);
    EXPECT_EQ(image.JPegSaveQuality(), 25);
    EXPECT_EQ(image.JPegSaveSmooth(), 5);
}

TEST(PixImageProperties, TiffCompressionCodes) {
    EXPECT_EQ(TPixImage::TiffCompressionCode(TTifCompress::sNONE), 1);
    EXPECT_EQ(TPixImage::TiffCompressionCode(TTifCompress::sCCITT), 2);
    EXPECT_EQ(TPixImage::TiffCompressionCode(TTifCompress::sFAXCCITT3), 3);
    EXPECT_EQ(TPixImage::TiffCompressionCode(TTifCompress::sFAXCCITT4), 4);
    EXPECT_EQ(TPixImage::TiffCompressionCode(TTifCompress::sLZW), 5);
    EXPECT_EQ(TPixImage::TiffCompressionCode(TTifCompress::sPACKBITS), 32773);
}

TEST(PixImageProperties, ExtensionsRouteToTheirEntries) {
    EXPECT_EQ(TPixImage::ReadEntryFor("/a/b.jpg"), "read_jpg");
    EXPECT_EQ(TPixImage::ReadEntryFor("/a/b.JPEG"), "read_jpg");
    EXPECT_EQ(TPixImage::ReadEntryFor("b.Tiff"), "read_tif");
    EXPECT_EQ(TPixImage::ReadEntryFor("b.tif"), "read_tif");
    EXPECT_EQ(TPixImage::ReadEntryFor("b.dxf"), "read_dxf");
    EXPECT_EQ(TPixImage::ReadEntryFor("b.pcd"), "read_pcd");
    EXPECT_EQ(TPixImage::ReadEntryFor("b.eps"), "read_eps");
    EXPECT_EQ(TPixImage::ReadEntryFor("b.dib"), "");
    EXPECT_EQ(TPixImage::ReadEntryFor("b.psd"), "");
    EXPECT_EQ(TPixImage::ReadEntryFor("noextension"), "");
}

TEST(PixImageLoad, SmallOrMissingFilesNeverReachAModule) {
    TempDir folder;
    Component c;
    const std::string small = folder.File("small.png");
    std::ofstream(small) << std::string(49, 'x');
    EXPECT_FALSE(c.Load(small));
    EXPECT_EQ(c.lastCode, TPixImage::kErrFileTooSmall);
    EXPECT_FALSE(c.Load(folder.File("absent.png")));
    EXPECT_EQ(c.lastCode, TPixImage::kErrFileMissing);
    EXPECT_FALSE(c.image.IsModuleLoaded(PIX_MAIN_MODULE_NAME));

    // 50 bytes is long enough to be handed over (and then refused by the decoder).
    std::ofstream(small, std::ios::trunc) << std::string(50, 'x');
    EXPECT_FALSE(c.Load(small));
    EXPECT_EQ(c.lastCode, PIX_ERR_FORMAT);
    EXPECT_EQ(c.lastText, "The file is not in the expected format");
}

TEST(PixImageLoad, FailedReadFreesTheModuleAndEmptiesThePicture) {
    TempDir folder;
    Component c;
    c.image.Picture().Bitmap() = test::Gradient(8, 8);
    ASSERT_TRUE(c.image.SaveAsBMP(folder.File("good.bmp")));
    EXPECT_TRUE(c.image.IsModuleLoaded(PIX_MAIN_MODULE_NAME));
    ASSERT_TRUE(c.Load(folder.File("good.bmp")));
    std::ofstream(folder.File("bad.gif")) << std::string(80, '\x01');
    EXPECT_FALSE(c.Load(folder.File("bad.gif")));
    EXPECT_TRUE(c.image.Picture().Bitmap().Empty());
    EXPECT_FALSE(c.image.IsModuleLoaded(PIX_MAIN_MODULE_NAME));
    c.image.SetImageName(folder.File("good.bmp"));
    EXPECT_FALSE(c.image.Picture().Bitmap().Empty());
    c.image.SetImageName("");
    EXPECT_TRUE(c.image.Picture().Bitmap().Empty());
}

TEST(PixImageEvents, ProgressCarriesTheStatusTextAndCanCancel) {
    TempDir folder;
    Component c;
    c.image.Picture().Bitmap() = test::Gradient(64, 64);
    const std::string path = folder.File("p.png");
    std::string message;
    int finished = 0;
    c.image.OnProgress = [&](TPixImage&, std::uint16_t, bool&, const std::string& text) {
        message = text;
    };
    c.image.OnFinishedLoadSave = [&](TPixImage&) { ++finished; };
    ASSERT_TRUE(c.image.SaveAsPNG(path));
    EXPECT_EQ(message, "Writing " + path);
    ASSERT_TRUE(c.Load(path));
    EXPECT_EQ(message, "Reading " + path);
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(c.image.StatusText(), "");

    c.image.OnProgress = [&](TPixImage&, std::uint16_t percent, bool& cancel, const std::string&) {
        cancel = percent >= 50;
    };
    EXPECT_FALSE(c.Load(path));
    EXPECT_EQ(c.lastCode, PIX_ERR_CANCELLED);
    EXPECT_EQ(finished, 2);
}

TEST(PixImageEvents, AnExceptionInTheHostShowsTheLibraryMessage) {
    TempDir folder;
    Component c;
    c.image.Picture().Bitmap() = test::Gradient(16, 16);
    ASSERT_TRUE(c.image.SaveAsBMP(folder.File("a.bmp")));
    std::string shown;
    TPixImage::SetMessageSink([&](const std::string& text) { shown = text; });
    c.image.OnProgress = [](TPixImage&, std::uint16_t, bool&, const std::string&) {
        throw std::runtime_error("handler failed");
    };
    EXPECT_FALSE(c.Load(folder.File("a.bmp")));
    TPixImage::SetMessageSink(nullptr);
    EXPECT_EQ(shown, TPixImage::kExceptionText);
}

TEST(PixImageEvents, WithoutAHandlerErrorsGoToTheMessageSink) {
    TempDir folder;
    TPixImage image;
    image.ModuleFolder = PIXELARY_BIN_DIR;
    std::string shown;
    TPixImage::SetMessageSink([&](const std::string& text) { shown = text; });
    image.SetImageName(folder.File("missing.jpg"));
    TPixImage::SetMessageSink(nullptr);
    EXPECT_EQ(shown, "The file does not exist");
}

TEST(PixImageSave, EmptyPictureIsRefused) {
    TempDir folder;
    Component c;
    EXPECT_FALSE(c.image.SaveAsPNG(folder.File("x.png")));
    EXPECT_EQ(c.lastCode, TPixImage::kErrNoPicture);
    EXPECT_FALSE(std::filesystem::exists(folder.File("x.png")));
}

}  // namespace
}  // namespace pixelary

namespace pixelary {
namespace {

TEST(PixImageLoad, ReadResolutionAsksTheDecoderForADepth) {
    testing::TempDir folder;
    test::Component c;
    c.image.Picture().Bitmap() = test::Gradient(30, 20);
    const std::string path = folder.File("g.png");
    ASSERT_TRUE(c.image.SaveAsPNG(path));
    struct Case {
        TImageReadRes res;
        TPixelFormat format;
    };
    for (Case k : {Case{TImageReadRes::lMonoChrome, TPixelFormat::pf1bit},
                   Case{TImageReadRes::lColor16, TPixelFormat::pf4bit},
                   Case{TImageReadRes::lColorVga, TPixelFormat::pf4bit},
                   Case{TImageReadRes::lColor256, TPixelFormat::pf8bit},
                   Case{TImageReadRes::lColorTrue, TPixelFormat::pf24bit},
                   Case{TImageReadRes::lAutoMatic, TPixelFormat::pf24bit}}) {
        c.image.ImageReadRes = k.res;
        ASSERT_TRUE(c.Load(path));
        EXPECT_EQ(c.image.Picture().Bitmap().PixelFormat(), k.format) << int(k.res);
        EXPECT_LT(test::MeanDifference(c.image.Picture().Bitmap(), test::Gradient(30, 20)),
                  k.format == TPixelFormat::pf1bit ? 128 : 24);
    }
    c.image.ImageReadRes = TImageReadRes::lColorTrue;
    ASSERT_TRUE(c.Load(test::Fixture("gif/plain.gif")));
    EXPECT_EQ(c.image.Picture().Bitmap().PixelFormat(), TPixelFormat::pf24bit);
}

TEST(PixImageModules, InformationEntriesDescribeFiles) {
    struct Case {
        const char* module;
        const char* entry;
        std::string file;
        int width, height, bits;
    };
    for (const Case& k :
         {Case{PIX_MAIN_MODULE_NAME, "file_info", test::Fixture("png/palette.png"), 40, 30, 8},
          Case{PIX_MAIN_MODULE_NAME, "file_info", test::Fixture("jpg/grey.jpg"), 40, 30, 8},
          Case{PIX_TIFF_MODULE_NAME, "tif_info", test::Fixture("tif/lzw.tif"), 40, 30, 24},
          Case{PIX_DXF_MODULE_NAME, "dxf_info", test::Fixture("dxf/entities.dxf"), 1024, 516, 1}}) {
        TCodecModule module(k.module);
        auto info = reinterpret_cast<PixInfoFn>(module.Bind(PIXELARY_BIN_DIR, k.entry));
        PixImageInfo out{};
        ASSERT_GT(info(k.file.c_str(), &out), 0) << k.file;
        EXPECT_EQ(out.width, k.width) << k.file;
        EXPECT_EQ(out.height, k.height) << k.file;
        EXPECT_EQ(out.bitCount, k.bits) << k.file;
        EXPECT_LE(info("/nonexistent/file.png", &out), 0);
    }
}

}  // namespace
}  // namespace pixelary
