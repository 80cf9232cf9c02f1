// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "codecs/CodecAbi.h"
#include "imaging/CodecModule.h"

namespace pixelary {
namespace {

using testing::TempDir;

std::string Message(const std::function<void()>& call) {
    try {
        call();
    } catch (const EImageLibError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(CodecModuleBinding, SearchOrderStartsWithTheConfiguredFolder) {
    const auto paths = TCodecModule::CandidatePaths("/opt/codecs", "pixmain.so");
    ASSERT_GE(paths.size(), 3u);
    EXPECT_EQ(paths[0], "/opt/codecs/pixmain.so");
    EXPECT_EQ(paths[1], TCodecModule::ProgramFolder() + "/pixmain.so");
    EXPECT_EQ(paths[2], "pixmain.so");
    EXPECT_EQ(TCodecModule::CandidatePaths("/opt/codecs/", "x.so")[0], "/opt/codecs/x.so");
    EXPECT_EQ(TCodecModule::CandidatePaths("", "x.so")[0], TCodecModule::ProgramFolder() + "/x.so");
    // The program's folder is the build's bin folder, where the modules land.
    EXPECT_EQ(std::filesystem::canonical(TCodecModule::ProgramFolder()),
              std::filesystem::canonical(PIXELARY_BIN_DIR));
}

TEST(CodecModuleBinding, MissingModuleGivesTheCantLoadText) {
    TCodecModule module("pixnone.so");
    EXPECT_EQ(Message([&] { module.Bind("/nonexistent", "read_bmp"); }),
              "Can't load pixnone.so. Make sure its located in the application's searchpath.");
    EXPECT_FALSE(module.IsLoaded());
}

TEST(CodecModuleBinding, ModuleUnderAnotherModulesNameIsRefused) {
    TempDir folder;
    // The TIFF module installed under the main module's file name.
    std::filesystem::copy_file(std::string(PIXELARY_BIN_DIR) + "/" PIX_TIFF_MODULE_NAME,
                               folder.File(PIX_MAIN_MODULE_NAME));
    TCodecModule module(PIX_MAIN_MODULE_NAME);
    EXPECT_EQ(Message([&] { module.Bind(folder.Path(), "read_bmp"); }), "Wrong dll Name");
    EXPECT_FALSE(module.IsLoaded());

    // Through the component: the load raises and leaves no picture.
    test::Component c;
    c.image.ModuleFolder = folder.Path();
    c.image.Picture().Bitmap() = test::Gradient(4, 4);
    EXPECT_EQ(Message([&] { c.image.SaveAsBMP(folder.File("x.bmp")); }), "Wrong dll Name");
}

TEST(CodecModuleBinding, ALibraryWithoutInitDllIsRefused) {
    TempDir folder;
    // Any shared library that is no codec module, under a module's name.
    const std::string foreign =
        test::Run("ldconfig -p | awk '/libz.so.1 .*x86-64/ {print $NF; exit}'");
    if (foreign.empty()) GTEST_SKIP() << "no libz to stand in for a foreign library";
    std::filesystem::copy_file(foreign.substr(0, foreign.size() - 1), folder.File("pixdxf.so"));
    TCodecModule module("pixdxf.so");
    EXPECT_EQ(Message([&] { module.Bind(folder.Path(), "read_dxf"); }), "Wrong dll Name");
}

TEST(CodecModuleBinding, MissingEntryFailsAndTheModuleStaysUsable) {
    TCodecModule module(PIX_TIFF_MODULE_NAME);
    EXPECT_EQ(Message([&] { module.Bind(PIXELARY_BIN_DIR, "read_png"); }),
              "Entry read_png not found in " PIX_TIFF_MODULE_NAME);
    EXPECT_NE(module.Bind(PIXELARY_BIN_DIR, "read_tif"), nullptr);
    EXPECT_NE(module.Bind(PIXELARY_BIN_DIR, "tif_info"), nullptr);
}

TEST(CodecModuleBinding, MainModuleHasEveryEntryTheComponentBinds) {
    TCodecModule module(PIX_MAIN_MODULE_NAME);
    for (const char* entry :
         {"read_bmp", "read_png", "read_gif", "read_tga", "read_pcx", "read_eps", "read_pcd",
          "read_jpg", "write_bmp", "write_png", "write_jpg", "write_gif", "write_tga", "write_pcx",
          "file_info", "error_text", "InitDll"}) {
        EXPECT_NE(module.Bind(PIXELARY_BIN_DIR, entry), nullptr) << entry;
    }
}

}  // namespace
}  // namespace pixelary
