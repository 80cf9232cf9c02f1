// SPDX-License-Identifier: GPL-3.0-or-later
// The scanner on a folder of the folder model, through the Linux namespace on a temporary tree.

#include <gtest/gtest.h>

#include <filesystem>

#include "ScanTestSupport.h"
#include "cache/MCacheFile.h"
#include "core/Stream.h"
#include "model/MExplorerItem.h"
#include "platform/LinuxShell.h"
#include "scanner/MScanIcon.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

namespace fs = std::filesystem;
using testing::RecordingView;
using testing::TempDir;

constexpr int kIconSide = 32;

class ExplorerScanTest : public ::testing::Test {
  protected:
    ExplorerScanTest() {
        fs::create_directories(dir.Slash() + "home/pics/sub");
        fs::create_directories(dir.Slash() + "cache");
        Dib(188, 156, 24).SaveToFile(dir.Slash() + "home/pics/a.bmp");
        Dib(640, 480, 8).SaveToFile(dir.Slash() + "home/pics/b.bmp");
        testing::WriteFile(dir.Slash() + "home/pics/c.txt", {'t'});
        platform::ShellRoots roots;
        roots.Home = dir.Slash() + "home";
        roots.Volumes = {"/"};
        shell::SetShell(std::make_shared<platform::LinuxShell>(roots));
        cache.SetDirectory(dir.Slash() + "cache");
        cache.SetLimit(1 << 20);
        cache.SetSorted(true);
    }
    ~ExplorerScanTest() override { shell::SetShell(nullptr); }

    static Dib LargeImage(MExplorerItem& folder, int index) {
        MemoryStream& stream = folder.GetChild(index)->GetLargeImageStream();
        stream.SetPosition(0);
        return Dib::LoadFromStream(stream);
    }

    TempDir dir;
    MCacheFileManager cache;
};

TEST_F(ExplorerScanTest, ThumbnailsReplaceTheLargeImagesOfPictureEntries) {
    MExplorerItem pics(dir.Slash() + "home/pics");
    RecordingView view;
    {
        MScanIcon scanner(view, &cache, 0);
        scanner.Start(&pics, 94, 78);
        EXPECT_EQ(scanner.EntryCount, 4);  // sub, a.bmp, b.bmp, c.txt
    }
    EXPECT_EQ(LargeImage(pics, 0).Width(), kIconSide);  // the folder keeps its icon
    EXPECT_EQ(LargeImage(pics, 1).Width(), 94);
    EXPECT_EQ(LargeImage(pics, 1).Height(), 78);
    EXPECT_EQ(LargeImage(pics, 2).Width(), 93);
    EXPECT_EQ(LargeImage(pics, 2).Height(), 70);
    EXPECT_EQ(LargeImage(pics, 3).Width(), kIconSide);
    EXPECT_EQ(view.invalidated, (std::vector<int>{1, 2}));
    ASSERT_EQ(cache.Count(), 2);
    EXPECT_EQ(cache.Item(0)->SourcePath, dir.Slash() + "home/pics/a.bmp");
    EXPECT_EQ(cache.Item(0)->SourceSize, pics.GetChild(1)->GetFileSize());
    EXPECT_EQ(cache.Item(0)->SourceDate, pics.GetChild(1)->GetFileDate());
}

}  // namespace
}  // namespace pixelary
