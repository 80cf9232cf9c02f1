// SPDX-License-Identifier: GPL-3.0-or-later
// The scanner's decoding threads: every entry once, stopping mid-scan, the entries in view first.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "ScanTestSupport.h"
#include "cache/MCacheFile.h"
#include "readers/ThumbnailSize.h"
#include "scanner/DecodePool.h"
#include "scanner/MScanIcon.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

namespace fs = std::filesystem;
using testing::FakeLibrary;
using testing::RecordingView;
using testing::TempDir;
using testing::WriteFile;

constexpr int kBoxWidth = kThumbnailBoxWidth;
constexpr int kBoxHeight = kThumbnailBoxHeight;

std::map<int, int> CountsOf(const std::vector<int>& indices) {
    std::map<int, int> counts;
    for (int index : indices) ++counts[index];
    return counts;
}

std::vector<int> Iota(int first, int count) {
    std::vector<int> values(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) values[static_cast<std::size_t>(i)] = first + i;
    return values;
}

// A folder of fake pictures (decoded by the fake library) with a few folders and other files.
class PoolScanTest : public ::testing::Test {
  protected:
    PoolScanTest() {
        fs::create_directories(Pics());
        fs::create_directory(root.Slash() + "cache");
        cache.SetDirectory(root.Slash() + "cache");
        cache.SetLimit(1 << 20);
        cache.SetSorted(true);
    }

    std::string Pics() const { return root.Slash() + "pics"; }
    // Pictures p000.jpg .. named so that the folder's order is their number's order.
    void MakePictures(int count) {
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/p%03d.jpg", i);
            WriteFile(Pics() + name, {'x'});
        }
    }

    TempDir root;
    MCacheFileManager cache;
    FakeLibrary library;
};

TEST(DecodePool, EveryJobIsDecodedOnceAndStoppingDropsTheRest) {
    std::vector<ScanJob> jobs(300);
    std::atomic<int> decodes{0};
    {
        DecodePool pool(4, [&](ScanJob& job) {
            ++decodes;
            job.Bitmap = Dib(job.Index + 1, 1, 24);
        });
        EXPECT_EQ(pool.ThreadCount(), 4);
        for (int i = 0; i < 200; ++i) {
            jobs[static_cast<std::size_t>(i)].Index = i;
            pool.Submit(&jobs[static_cast<std::size_t>(i)]);
        }
        for (int i = 0; i < 200; ++i) {
            ASSERT_TRUE(
                pool.WaitReady(&jobs[static_cast<std::size_t>(i)], std::chrono::seconds(30)));
            EXPECT_EQ(jobs[static_cast<std::size_t>(i)].Bitmap.Width(), i + 1);
        }
        // Waited for once: a second wait finds nothing.
        EXPECT_FALSE(pool.WaitReady(&jobs[0], std::chrono::milliseconds(0)));
        pool.Stop();
        for (int i = 200; i < 300; ++i) pool.Submit(&jobs[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(decodes, 200);
    EXPECT_TRUE(jobs[250].Bitmap.IsEmpty());
    EXPECT_GE(DecodeThreadCount(), 1);
    EXPECT_LE(DecodeThreadCount(), 4);
}

TEST(ScanOrderTest, PreferredEntriesComeFirstAndEveryEntryOnce) {
    ScanOrder order(10);
    EXPECT_EQ(order.Next(), 0);
    EXPECT_EQ(order.Next(), 1);
    order.Prefer(6, 3);
    EXPECT_EQ(order.Next(), 6);
    order.Prefer(0, 3);  // 0 and 1 were taken already; a new range replaces the old one
    EXPECT_EQ(order.Next(), 2);
    std::vector<int> rest;
    for (int index = order.Next(); index >= 0; index = order.Next()) rest.push_back(index);
    EXPECT_EQ(rest, (std::vector<int>{3, 4, 5, 7, 8, 9}));
    ScanOrder clipped(4);
    clipped.Prefer(2, 100);
    EXPECT_EQ(clipped.Next(), 2);
    EXPECT_EQ(clipped.Next(), 3);
    EXPECT_EQ(clipped.Next(), 0);
    clipped.Prefer(-5, 3);
    EXPECT_EQ(clipped.Next(), 1);
    EXPECT_EQ(clipped.Next(), -1);
}

TEST_F(PoolScanTest, EveryEntryIsHandedOverOnceWithItsThumbnail) {
    MakePictures(150);
    fs::create_directory(Pics() + "/a-folder");
    WriteFile(Pics() + "/z-notes.txt", {'x'});
    for (int threads : {1, 4}) {
        RecordingView view;
        DirectoryScanEntries entries(Pics());
        MScanIcon scanner(view, &cache, 1);  // reload: every picture decoded again
        scanner.DecodeThreads = threads;
        scanner.Start(&entries, kBoxWidth, kBoxHeight);
        scanner.WaitFor();
        // The folder comes first, the text file last; every picture in between once.
        std::vector<int> invalidated = view.invalidated;
        std::sort(invalidated.begin(), invalidated.end());
        EXPECT_EQ(invalidated, Iota(1, 150)) << threads;
        EXPECT_EQ(scanner.ThumbnailsMade, 150);
        for (int i = 1; i <= 150; ++i) EXPECT_EQ(entries.LargeImage(i).Width(), 94) << i;
        // One progress report per entry, rising to 100, then the end.
        ASSERT_EQ(view.progress.size(), 153u);
        EXPECT_TRUE(std::is_sorted(view.progress.begin(), view.progress.end() - 1));
        EXPECT_EQ(view.progress[151], 100);
        EXPECT_EQ(view.progress.back(), -1);
        EXPECT_FALSE(view.calledOffMainThread);
    }
    EXPECT_EQ(cache.Count(), 150);  // the reload dropped each old record
}

TEST_F(PoolScanTest, StoppingWhileEveryThreadDecodesEndsCleanly) {
    MakePictures(60);
    library.delay = std::chrono::milliseconds(20);
    RecordingView view;
    DirectoryScanEntries entries(Pics());
    int handedOver = 0;
    {
        MScanIcon scanner(view, &cache, 0);
        scanner.DecodeThreads = 4;
        view.onInvalidate = [&](int) {
            if (++handedOver == 5) scanner.Terminate();
        };
        scanner.Start(&entries, kBoxWidth, kBoxHeight);
    }  // the destructor waits while decodes are still in progress
    EXPECT_EQ(view.invalidated.size(), 5u);
    for (const auto& [index, count] : CountsOf(view.invalidated)) EXPECT_EQ(count, 1) << index;
    EXPECT_EQ(view.progress.back(), -1);
    EXPECT_LT(library.calls, 60);  // the rest were never decoded
    // Only the thumbnails handed over were cached; the decodes in flight were dropped.
    EXPECT_EQ(cache.Count(), 5);
}

TEST_F(PoolScanTest, EntriesScrolledIntoViewAreScannedNext) {
    MakePictures(120);
    RecordingView view;
    DirectoryScanEntries entries(Pics());
    MScanIcon scanner(view, &cache, 0);
    scanner.DecodeThreads = 2;
    // The user scrolls to the end as soon as the first thumbnail shows.
    view.onInvalidate = [&](int index) {
        if (index == 0) scanner.SetVisibleRange(100, 12);
    };
    scanner.Start(&entries, kBoxWidth, kBoxHeight);
    scanner.WaitFor();
    const std::vector<int>& order = view.invalidated;
    ASSERT_EQ(CountsOf(order).size(), 120u);
    ASSERT_EQ(order.size(), 120u);
    // Only the few entries already given out to the decoding threads come before the view.
    const auto firstOfView = std::find(order.begin(), order.end(), 100) - order.begin();
    EXPECT_LT(firstOfView, 12);
    const std::vector<int> view_part(order.begin() + firstOfView, order.begin() + firstOfView + 12);
    EXPECT_EQ(view_part, Iota(100, 12));
    // Then the rest in folder order.
    std::vector<int> rest(order.begin() + firstOfView + 12, order.end());
    EXPECT_TRUE(std::is_sorted(rest.begin(), rest.end()));
    for (int i = 0; i < 120; ++i) EXPECT_EQ(entries.LargeImage(i).Width(), 94) << i;
}

}  // namespace
}  // namespace pixelary
