// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/Dib.h"
#include "fileops/Wallpaper.h"
#include "fileops/WallpaperImage.h"
#include "support/TempDir.h"

namespace pixelary::fileops {
namespace {

bool NoPrograms(const std::string&) {
    return false;
}

TEST(Wallpaper, TargetFitsTheScreenKeepingProportions) {
    EXPECT_EQ(WallpaperTargetSize({3840, 1080}, {1920, 1080}), (Size{1920, 540}));
    EXPECT_EQ(WallpaperTargetSize({1000, 3000}, {1920, 1080}), (Size{360, 1080}));
    EXPECT_EQ(WallpaperTargetSize({800, 600}, {1920, 1080}), (Size{800, 600}));
    EXPECT_EQ(WallpaperTargetSize({100000, 1}, {1920, 1080}), (Size{1920, 1}));
}

TEST(Wallpaper, ChoosesTheRunningDesktopsOwnSettings) {
    const std::string file = "/home/u/.local/share/Pixelary/貓.bmp";
    auto gnome = WallpaperCommands("ubuntu:GNOME", file, WallpaperStyle::Tiled, NoPrograms);
    ASSERT_EQ(gnome.size(), 3u);
    EXPECT_EQ(
        gnome[0],
        (DesktopCommand{"gsettings",
                        {"set", "org.gnome.desktop.background", "picture-options", "wallpaper"}}));
    EXPECT_EQ(gnome[1].arguments.back(), "file://" + file);

    auto centred = WallpaperCommands("GNOME", file, WallpaperStyle::Centred, NoPrograms);
    EXPECT_EQ(centred[0].arguments.back(), "centered");

    auto kde = WallpaperCommands("KDE", file, WallpaperStyle::Tiled, NoPrograms);
    ASSERT_EQ(kde.size(), 1u);
    EXPECT_EQ(kde[0].program, "qdbus");
    EXPECT_NE(kde[0].arguments.back().find("'FillMode', 3"), std::string::npos);

    auto xfce = WallpaperCommands("XFCE", file, WallpaperStyle::Centred, NoPrograms);
    ASSERT_EQ(xfce.size(), 1u);
    EXPECT_EQ(xfce[0].arguments.back(), "1");
    EXPECT_EQ(xfce[0].arguments[3], file);

    auto mate = WallpaperCommands("MATE", file, WallpaperStyle::Tiled, NoPrograms);
    EXPECT_EQ(mate[1].arguments[1], "org.mate.background");
}

TEST(Wallpaper, OtherDesktopsUseFehOrXwallpaperWhenInstalled) {
    auto only = [](std::string name) {
        return [name](const std::string& program) { return program == name; };
    };
    EXPECT_EQ(WallpaperCommands("i3", "/w.bmp", WallpaperStyle::Tiled, only("feh")),
              (std::vector<DesktopCommand>{{"feh", {"--bg-tile", "/w.bmp"}}}));
    EXPECT_EQ(WallpaperCommands("", "/w.bmp", WallpaperStyle::Centred, only("xwallpaper")),
              (std::vector<DesktopCommand>{{"xwallpaper", {"--center", "/w.bmp"}}}));
    EXPECT_TRUE(WallpaperCommands("sway", "/w.bmp", WallpaperStyle::Tiled, NoPrograms).empty());
}

TEST(Wallpaper, ApplyRunsEveryCommandAndStopsAtAFailure) {
    std::vector<DesktopCommand> ran;
    auto record = [&](const DesktopCommand& c) {
        ran.push_back(c);
        return c.arguments[2] != "picture-uri";
    };
    EXPECT_FALSE(ApplyWallpaper("GNOME", "/w.bmp", WallpaperStyle::Tiled, NoPrograms, record));
    EXPECT_EQ(ran.size(), 2u);
    EXPECT_FALSE(ApplyWallpaper("sway", "/w.bmp", WallpaperStyle::Tiled, NoPrograms, record));
}

TEST(Wallpaper, ThePortalComesAfterTheDesktopsOwnSettingsAndBeforeFehOrXwallpaper) {
    std::vector<std::string> steps;
    bool commands_succeed = true;
    bool portal_takes = true;
    auto run = [&](const DesktopCommand& c) {
        steps.push_back(c.program);
        return commands_succeed;
    };
    auto portal = [&](const std::string& file) {
        steps.push_back("portal " + file);
        return portal_takes;
    };
    auto feh = [](const std::string& program) { return program == "feh"; };
    const auto apply = [&](const std::string& desktop, const PortalRequest& request) {
        steps.clear();
        return ApplyWallpaper(desktop, "/w.bmp", WallpaperStyle::Tiled, feh, run, request);
    };
    using Steps = std::vector<std::string>;

    EXPECT_EQ(apply("GNOME", portal), WallpaperWay::DesktopSettings);
    EXPECT_EQ(steps, (Steps{"gsettings", "gsettings", "gsettings"}));

    EXPECT_EQ(apply("sway", portal), WallpaperWay::Portal);
    EXPECT_EQ(steps, (Steps{"portal /w.bmp"}));

    portal_takes = false;
    EXPECT_EQ(apply("sway", portal), WallpaperWay::Program);
    EXPECT_EQ(steps, (Steps{"portal /w.bmp", "feh"}));
    EXPECT_EQ(apply("sway", {}), WallpaperWay::Program);  // no portal on this system
    EXPECT_EQ(steps, (Steps{"feh"}));

    // A desktop whose own settings fail gets the portal, never feh: it hides the root window.
    commands_succeed = false;
    portal_takes = true;
    EXPECT_EQ(apply("KDE", portal), WallpaperWay::Portal);
    EXPECT_EQ(steps, (Steps{"qdbus", "portal /w.bmp"}));
    portal_takes = false;
    EXPECT_EQ(apply("KDE", portal), std::nullopt);
    EXPECT_EQ(steps, (Steps{"qdbus", "portal /w.bmp"}));
    EXPECT_EQ(apply("sway", portal), std::nullopt);
    EXPECT_EQ(steps, (Steps{"portal /w.bmp", "feh"}));
}

namespace fs = std::filesystem;

TEST(WallpaperImage, LargePictureIsShrunkToTheScreenKeepingProportions) {
    const testing::TempDir temp;
    const fs::path folder = temp.Path();
    Dib picture(400, 100, 24);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 400; ++x) picture.Row(y)[x * 3 + 2] = x < 200 ? 0xFF : 0x00;
    }
    picture.SaveToFile((folder / "寬.bmp").string());

    const Dib wallpaper = MakeWallpaperBitmap((folder / "寬.bmp").string(), "bmp", {200, 150});
    ASSERT_EQ(wallpaper.Width(), 200);
    ASSERT_EQ(wallpaper.Height(), 50);
    EXPECT_EQ(wallpaper.PixelRgb(99, 10), 0xFF0000u);  // left half red
    EXPECT_EQ(wallpaper.PixelRgb(100, 10), 0x000000u);

    const Dib small = MakeWallpaperBitmap((folder / "寬.bmp").string(), "bmp", {1920, 1080});
    EXPECT_EQ(small.Width(), 400);
    EXPECT_EQ(small.Height(), 100);

    fs::create_directories(folder / "out");
    std::ofstream(folder / "out" / "寬.bmp") << "stale";
    const std::string saved = SaveWallpaperBitmap(wallpaper, (folder / "out").string(), "寬");
    EXPECT_EQ(saved, (folder / "out" / "寬.bmp").string());
    EXPECT_EQ(Dib::LoadFromFile(saved).Width(), 200);
}

TEST(WallpaperImage, NoReaderGivesAnEmptyBitmap) {
    const testing::TempDir temp;
    const fs::path folder = temp.Path();
    std::ofstream(folder / "bad.bmp") << "not a bitmap at all";
    EXPECT_TRUE(MakeWallpaperBitmap((folder / "bad.bmp").string(), "bmp", {800, 600}).IsEmpty());
}

}  // namespace
}  // namespace pixelary::fileops
