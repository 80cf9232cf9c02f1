// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QSettings>
#include <QStringList>
#include <filesystem>

#include "core/Exception.h"
#include "settings/Settings.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

class SettingsTest : public ::testing::Test {
  protected:
    std::string StorePath() const { return dir.Slash() + "Pixelary.conf"; }
    std::string Windows() const { return dir.Slash() + "share/Pixelary"; }

    TempDir dir;
    QSettings store{QString::fromStdString(dir.Slash() + "Pixelary.conf"), QSettings::IniFormat};
};

TEST_F(SettingsTest, FirstStartUsesDefaultsAndCreatesTheCacheDirectories) {
    Settings settings;
    settings.CacheSize = 7;  // every field is reset, not just the stored ones
    LoadSettings(settings, store, Windows());
    EXPECT_EQ(settings.CachePath, Windows() + "/Temp/PixCache");
    EXPECT_TRUE(fs::is_directory(Windows() + "/Temp/PixCache"));
    EXPECT_EQ(settings.CacheSize, 4096);
    EXPECT_EQ(settings.OpenFileMouse, kDoubleClickIcon);
    EXPECT_EQ(settings.PrintModal, "");
    EXPECT_EQ(settings.PrintFrameBitmap, "");
    EXPECT_EQ(settings.TwainFileName, "File");
    EXPECT_EQ(settings.TwainFileFormat, "jpg");
    EXPECT_EQ(settings.TwainFileStartNum, 0);
    EXPECT_EQ(settings.TwainFileStepNum, 1);
    EXPECT_EQ(settings.TwainJpegQuality, 90);
    EXPECT_EQ(settings.TwainJpegSmooty, 0);
    EXPECT_TRUE(store.allKeys().isEmpty());
}

TEST_F(SettingsTest, EveryValueRoundTripsUnderItsOwnName) {
    Settings saved;
    saved.CachePath = "/data/縮圖";
    saved.CacheSize = 100;  // below the dialog's minimum, still used as stored
    saved.OpenFileMouse = kClickText;
    saved.PrintModal = "相片";
    saved.PrintFrameBitmap = "/frames/a.bmp";
    saved.TwainFileName = "Scan";
    saved.TwainFileFormat = "tif";
    saved.TwainFileStartNum = -3;
    saved.TwainFileStepNum = 5;
    saved.TwainJpegQuality = 75;
    saved.TwainJpegSmooty = 12;
    ASSERT_TRUE(SaveSettings(saved, store));

    QSettings reopened(QString::fromStdString(StorePath()), QSettings::IniFormat);
    EXPECT_EQ(reopened.allKeys().size(), 11);
    EXPECT_EQ(reopened.value("Cache size").toInt(), 100);
    EXPECT_EQ(reopened.value("TWAIN jpeg smooty").toInt(), 12);
    Settings loaded;
    LoadSettings(loaded, reopened, Windows());
    EXPECT_EQ(loaded.CachePath, saved.CachePath);
    EXPECT_EQ(loaded.CacheSize, 100);
    EXPECT_EQ(loaded.OpenFileMouse, kClickText);
    EXPECT_EQ(loaded.PrintModal, saved.PrintModal);
    EXPECT_EQ(loaded.PrintFrameBitmap, saved.PrintFrameBitmap);
    EXPECT_EQ(loaded.TwainFileName, "Scan");
    EXPECT_EQ(loaded.TwainFileFormat, "tif");
    EXPECT_EQ(loaded.TwainFileStartNum, -3);
    EXPECT_EQ(loaded.TwainFileStepNum, 5);
    EXPECT_EQ(loaded.TwainJpegQuality, 75);
    EXPECT_EQ(loaded.TwainJpegSmooty, 12);
    // The directories are made even when the stored path points elsewhere.
    EXPECT_TRUE(fs::is_directory(Windows() + "/Temp/PixCache"));
}

TEST_F(SettingsTest, WrongTypeRaisesKeepingEarlierValuesAndLaterDefaults) {
    store.setValue("Cache path", "/elsewhere");
    store.setValue("Cache size", "lots");
    store.setValue("Open file mouse", 0);
    Settings settings;
    EXPECT_THROW(LoadSettings(settings, store, Windows()), ERegistryException);
    EXPECT_EQ(settings.CachePath, "/elsewhere");
    EXPECT_EQ(settings.CacheSize, 4096);
    EXPECT_EQ(settings.OpenFileMouse, 1);

    for (const QVariant& bad : {QVariant(QStringList{"a", "b"}), QVariant(QByteArray("\x01")),
                                QVariant(QString("99999999999"))}) {
        store.clear();
        store.setValue("TWAIN jpeg quality", bad);
        EXPECT_THROW(LoadSettings(settings, store, Windows()), ERegistryException);
    }
    store.clear();
    store.setValue("TWAIN file name", QStringList{"a", "b"});
    EXPECT_THROW(LoadSettings(settings, store, Windows()), ERegistryException);
}

TEST_F(SettingsTest, UnwritableStoreReportsFailure) {
    testing::WriteFileOfSize(dir.Slash() + "plain", 1);  // a file where a folder would be needed
    QSettings blocked(QString::fromStdString(dir.Slash() + "plain/Pixelary.conf"),
                      QSettings::IniFormat);
    EXPECT_FALSE(SaveSettings(Settings{}, blocked));
}

// A crash while the settings are written must leave the old file or the new one: the store
// writes a new file and renames it over the old, never rewriting the old one in place. A hard
// link made before the save keeps the old text.
TEST_F(SettingsTest, SavingReplacesTheFileInsteadOfRewritingIt) {
    Settings first;
    first.PrintModal = "old style";
    ASSERT_TRUE(SaveSettings(first, store));
    const std::string before = dir.Slash() + "before.conf";
    fs::create_hard_link(StorePath(), before);

    Settings second = first;
    second.PrintModal = "new style";
    ASSERT_TRUE(SaveSettings(second, store));
    QSettings old(QString::fromStdString(before), QSettings::IniFormat);
    EXPECT_EQ(old.value("Print modal").toString(), "old style");
    QSettings now(QString::fromStdString(StorePath()), QSettings::IniFormat);
    EXPECT_EQ(now.value("Print modal").toString(), "new style");
    EXPECT_FALSE(fs::equivalent(before, StorePath()));
}

TEST(SettingsPaths, WindowsDirectoryFollowsXdgDataHome) {
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(WindowsDirectory(), "/srv/data/Pixelary");
    ::setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/home/u", 1);
    ::setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(WindowsDirectory(), std::string(std::getenv("HOME")) + "/.local/share/Pixelary");
    if (old != nullptr)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace pixelary
