// SPDX-License-Identifier: GPL-3.0-or-later
// Folders that fight back, through the folder model and the scanner on the Linux namespace:
// odd names, entries that vanish or change under the scan, links that loop, special files named
// like pictures, a cache that cannot be written and a very large folder. Each entry is shown,
// keeps its icon, or is reported; nothing crashes, hangs or loses a file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "ScanTestSupport.h"
#include "cache/MCacheFile.h"
#include "core/Stream.h"
#include "model/MExplorerItem.h"
#include "platform/LinuxShell.h"
#include "readers/ThumbnailSize.h"
#include "scanner/MScanIcon.h"
#include "support/SmallFileSystem.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

namespace fs = std::filesystem;
using testing::RecordingView;
using testing::SmallFileSystem;
using testing::TempDir;

constexpr int kIconSide = 32;
constexpr int kBoxWidth = kThumbnailBoxWidth;
constexpr int kBoxHeight = kThumbnailBoxHeight;

class HostileFolderTest : public ::testing::Test {
  protected:
    HostileFolderTest() {
        fs::create_directories(Pics());
        fs::create_directories(CacheDir());
        platform::ShellRoots roots;
        roots.Home = dir.Slash() + "home";
        roots.Volumes = {"/"};
        shell::SetShell(std::make_shared<platform::LinuxShell>(roots));
        cache.SetDirectory(CacheDir());
        cache.SetLimit(1 << 20);
        cache.SetSorted(true);
    }
    ~HostileFolderTest() override { shell::SetShell(nullptr); }

    std::string Pics() const { return dir.Slash() + "home/pics"; }
    std::string CacheDir() const { return dir.Slash() + "cache"; }
    std::string Pic(const std::string& name) const { return Pics() + "/" + name; }
    static void Picture(const std::string& path) { Dib(188, 156, 24).SaveToFile(path); }

    // Scans the folder to its end, reporting progress to view.
    void Scan(MExplorerItem& folder, RecordingView& view) {
        MScanIcon scanner(view, &cache, 0);
        scanner.Start(&folder, kBoxWidth, kBoxHeight);
        scanner.WaitFor();
        EXPECT_FALSE(view.calledOffMainThread);
        ASSERT_FALSE(view.progress.empty());
        EXPECT_EQ(view.progress.back(), -1);
    }

    static int LargeWidth(MExplorerItem& folder, int index) {
        MemoryStream& stream = folder.GetChild(index)->GetLargeImageStream();
        stream.SetPosition(0);
        return Dib::LoadFromStream(stream).Width();
    }

    // Position of the entry whose file name is name, or -1.
    static int IndexOfName(MExplorerItem& folder, const std::string& name) {
        for (int i = 0; i < folder.ChildCount(); ++i) {
            const std::string path = folder.GetChild(i)->GetDisplayName(shell::SHGDN_FORPARSING);
            if (path.size() > name.size() && path.ends_with("/" + name)) return i;
        }
        return -1;
    }

    TempDir dir;
    MCacheFileManager cache;
};

TEST_F(HostileFolderTest, NamesThatAreNotUtf8OrAtTheLengthLimitAreShownAndThumbnailed) {
    const std::string latin1 = "caf\xe9-\xff\xfe.bmp";           // Latin-1 bytes, not UTF-8
    const std::string longest = std::string(251, 'n') + ".bmp";  // 255 bytes, the limit
    ASSERT_EQ(longest.size(), 255u);
    Picture(Pic(latin1));
    Picture(Pic(longest));

    MExplorerItem pics(Pics());
    ASSERT_EQ(pics.ChildCount(), 2);
    const int odd = IndexOfName(pics, latin1);
    const int full = IndexOfName(pics, longest);
    ASSERT_GE(odd, 0);
    ASSERT_GE(full, 0);
    EXPECT_EQ(pics.GetChild(odd)->GetDisplayName(shell::SHGDN_FORPARSING), Pic(latin1));
    RecordingView view;
    Scan(pics, view);
    EXPECT_EQ(LargeWidth(pics, odd), kBoxWidth);
    EXPECT_EQ(LargeWidth(pics, full), kBoxWidth);

    // The index keeps the exact bytes of both paths across a save and a load.
    cache.Save();
    MCacheFileManager next;
    next.SetDirectory(CacheDir());
    next.SetLimit(1 << 20);
    next.SetSorted(true);
    next.Load();
    EXPECT_GE(next.IndexOf(Pic(latin1), 0), 0);
    EXPECT_GE(next.IndexOf(Pic(longest), 0), 0);
    EXPECT_TRUE(fs::exists(Pic(latin1)));
}

// Runs check as a user without privileges: as itself when it is not root, else in a child
// process that gives up root (which reads every file whatever its permission bits say). The
// result is check's, or -1 when no such process could be made.
int AsUnprivilegedUser(const std::function<int()>& check) {
    if (::geteuid() != 0) return check();
    constexpr uid_t kNobody = 65534;
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(100);
        ::_exit(check());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 100 ? -1 : WEXITSTATUS(status);
}

TEST_F(HostileFolderTest, UnreadableFilesAndFoldersKeepTheirIcons) {
    Picture(Pic("locked.bmp"));
    Picture(Pic("open.bmp"));
    fs::create_directory(Pic("locked-folder"));
    Picture(Pic("locked-folder/inner.bmp"));
    // Everything else stays reachable for the unprivileged user.
    for (const std::string& path : {dir.Path(), dir.Slash() + "home", Pics()}) {
        ::chmod(path.c_str(), 0755);
    }
    ::chmod(CacheDir().c_str(), 0777);
    ::chmod(Pic("locked.bmp").c_str(), 0);
    ::chmod(Pic("locked-folder").c_str(), 0);
    // Each failed check sets one bit of the result.
    const int failures = AsUnprivilegedUser([&] {
        int bits = 0;
        MExplorerItem pics(Pics());
        if (pics.ChildCount() != 3) return 1;
        RecordingView view;
        {
            MScanIcon scanner(view, &cache, 0);
            scanner.Start(&pics, kBoxWidth, kBoxHeight);
            scanner.WaitFor();
        }
        if (LargeWidth(pics, IndexOfName(pics, "locked.bmp")) != kIconSide) bits |= 2;
        if (LargeWidth(pics, IndexOfName(pics, "open.bmp")) != kBoxWidth) bits |= 4;
        MExplorerItem locked(Pic("locked-folder"));
        if (locked.ChildCount() != 0) bits |= 8;
        if (cache.Count() != 1) bits |= 16;
        return bits;
    });
    ::chmod(Pic("locked-folder").c_str(), 0755);
    if (failures < 0) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(failures, 0) << "failed checks (bits): " << failures;
    EXPECT_TRUE(fs::exists(Pic("locked.bmp")));
}

TEST_F(HostileFolderTest, EntriesThatVanishOrChangeMidScanCostOnlyThemselves) {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) Picture(Pic(name));
    MExplorerItem pics(Pics());
    ASSERT_EQ(pics.ChildCount(), 4);
    RecordingView view;
    // Between the listing and the scan (decoding threads read ahead of the hand-overs, so this
    // is where a change lands before an entry is read): b is deleted, c cut to half a header,
    // d replaced by a smaller picture under the same name.
    fs::remove(Pic("b.bmp"));
    fs::resize_file(Pic("c.bmp"), 20);
    Dib(47, 39, 24).SaveToFile(Pic("d.bmp.new"));
    fs::rename(Pic("d.bmp.new"), Pic("d.bmp"));
    Scan(pics, view);
    EXPECT_EQ(LargeWidth(pics, 0), kBoxWidth);
    EXPECT_EQ(LargeWidth(pics, 1), kIconSide);
    EXPECT_EQ(LargeWidth(pics, 2), kIconSide);
    EXPECT_EQ(LargeWidth(pics, 3), kBoxWidth);  // the new picture, enlarged to the box
    EXPECT_EQ(view.invalidated, (std::vector<int>{0, 3}));
    EXPECT_EQ(cache.Count(), 2);
    EXPECT_TRUE(fs::exists(Pic("c.bmp")));  // refused, not touched
}

TEST_F(HostileFolderTest, FolderDeletedOrRenamedWhileShownOrScanned) {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) Picture(Pic(name));
    MExplorerItem pics(Pics());
    ASSERT_EQ(pics.ChildCount(), 3);
    RecordingView view;
    // Renamed once listed and shown, before its scan reads an entry.
    fs::rename(Pics(), Pics() + "-renamed");
    Scan(pics, view);
    EXPECT_EQ(LargeWidth(pics, 0), kIconSide);
    EXPECT_EQ(LargeWidth(pics, 2), kIconSide);
    EXPECT_TRUE(view.invalidated.empty());
    // The shown entries still answer, from what was read before.
    EXPECT_EQ(IndexOfName(pics, "b.bmp"), 1);
    EXPECT_GT(pics.GetChild(1)->GetFileSize(), 0);

    // Deleted, then shown again as the window's refresh does (a new item for the same place):
    // an empty folder, scanned at once.
    fs::remove_all(Pics() + "-renamed");
    MExplorerItem again(pics.ParentFolder(), pics.CopyLastId());
    EXPECT_EQ(again.ChildCount(), 0);
    RecordingView after;
    MScanIcon scanner(after, &cache, 0);
    scanner.Start(&again, kBoxWidth, kBoxHeight);
    scanner.WaitFor();
    EXPECT_TRUE(after.progress.empty());  // an empty folder ends at once, silently
}

TEST_F(HostileFolderTest, SymbolicLinkLoopsNeitherHangNorThumbnail) {
    Picture(Pic("real.bmp"));
    fs::create_symlink("self.bmp", Pic("self.bmp"));  // a link to itself
    fs::create_symlink("pong.jpg", Pic("ping.jpg"));  // two links to each other
    fs::create_symlink("ping.jpg", Pic("pong.jpg"));
    fs::create_directory_symlink(".", Pic("again"));  // a folder that holds itself
    MExplorerItem pics(Pics());
    ASSERT_EQ(pics.ChildCount(), 5);
    RecordingView view;
    Scan(pics, view);
    EXPECT_EQ(view.invalidated, (std::vector<int>{IndexOfName(pics, "real.bmp")}));
    // The looping folder opens onto the same entries, one level at a time.
    MExplorerItem again(Pic("again/again/again"));
    EXPECT_EQ(again.ChildCount(), 5);
}

// A reader blocked on a special file is released by a writer after a grace time, so the test
// fails instead of hanging.
class FifoRelease {
  public:
    explicit FifoRelease(std::string fifo)
        : fifo_(std::move(fifo)), thread_([this] {
              const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
              while (!done_ && std::chrono::steady_clock::now() < deadline) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
              if (done_) return;
              released_ = true;
              const int fd = ::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK);
              if (fd >= 0) ::close(fd);
          }) {}
    ~FifoRelease() {
        done_ = true;
        thread_.join();
    }
    bool Released() const { return released_; }

  private:
    std::string fifo_;
    std::atomic<bool> done_{false};
    std::atomic<bool> released_{false};
    std::thread thread_;
};

TEST_F(HostileFolderTest, FifosAndDevicesNamedLikePicturesNeverBlockTheScan) {
    Picture(Pic("a.bmp"));
    ASSERT_EQ(::mkfifo(Pic("pipe.jpg").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(Pic("pipe.osp").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", Pic("zero.bmp"));
    fs::create_symlink("/dev/urandom", Pic("noise.tga"));
    Picture(Pic("z.bmp"));
    MExplorerItem pics(Pics());
    ASSERT_EQ(pics.ChildCount(), 6);
    RecordingView view;
    {
        FifoRelease release1(Pic("pipe.jpg"));
        FifoRelease release2(Pic("pipe.osp"));
        Scan(pics, view);
        // Their icons come from their kind, not from reading them.
        for (const char* special : {"pipe.jpg", "pipe.osp", "zero.bmp", "noise.tga"}) {
            EXPECT_EQ(LargeWidth(pics, IndexOfName(pics, special)), kIconSide) << special;
        }
        EXPECT_FALSE(release1.Released()) << "the scan blocked on a FIFO";
        EXPECT_FALSE(release2.Released()) << "the scan blocked on a FIFO";
    }
    EXPECT_EQ(view.invalidated,
              (std::vector<int>{IndexOfName(pics, "a.bmp"), IndexOfName(pics, "z.bmp")}));
    EXPECT_EQ(cache.Count(), 2);
}

TEST_F(HostileFolderTest, CacheThatCannotBeWrittenLeavesThumbnailsShownAndSaysSoOnce) {
    for (const auto kind : {SmallFileSystem::Kind::ReadOnly, SmallFileSystem::Kind::Full}) {
        const std::string where =
            dir.Slash() + (kind == SmallFileSystem::Kind::Full ? "full" : "ro");
        SmallFileSystem small(where, kind);
        if (!small.Ready()) GTEST_SKIP() << small.Why();
        for (const char* name : {"a.bmp", "b.bmp"}) Picture(Pic(name));
        // A 1-bit thumbnail is smaller than the file buffer: a full disk shows only on close.
        Dib line_art(188, 156, 1);
        line_art.SetPalette({0x000000, 0xFFFFFF});
        line_art.SaveToFile(Pic("c.bmp"));
        MCacheFileManager stuck;
        stuck.SetDirectory(where);
        stuck.SetLimit(1 << 20);
        MExplorerItem pics(Pics());
        RecordingView view;
        {
            MScanIcon scanner(view, &stuck, 0);
            scanner.Start(&pics, kBoxWidth, kBoxHeight);
            scanner.WaitFor();
        }
        EXPECT_EQ(view.invalidated, (std::vector<int>{0, 1, 2})) << where;
        EXPECT_EQ(stuck.Count(), 0) << where;
        const auto failure = stuck.TakeWriteFailure();
        ASSERT_TRUE(failure.has_value()) << where;
        EXPECT_FALSE(stuck.TakeWriteFailure().has_value()) << "told once";
        EXPECT_THROW(stuck.Save(), EFCreateError) << where;
        // No part-written thumbnail is left to take the little room there is.
        for (const auto& entry : fs::directory_iterator(where)) {
            EXPECT_EQ(entry.path().extension(), "") << entry.path();
        }
    }
}

TEST_F(HostileFolderTest, FolderOfAHundredThousandEntries) {
    constexpr int kEntries = 100000;
    for (int i = 0; i < kEntries; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%06d.dat", i);
        const int fd = ::open((Pics() + name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    Picture(Pic("zz.bmp"));
    MExplorerItem pics(Pics());
    ASSERT_EQ(pics.ChildCount(), kEntries + 1);
    EXPECT_EQ(pics.GetChild(0)->GetName(), "f000000");
    EXPECT_EQ(pics.GetChild(kEntries)->GetName(), "zz");
    RecordingView view;
    Scan(pics, view);
    EXPECT_EQ(view.invalidated, (std::vector<int>{kEntries}));
    EXPECT_EQ(view.progress.size(), static_cast<std::size_t>(kEntries + 2));
}

}  // namespace
}  // namespace pixelary
