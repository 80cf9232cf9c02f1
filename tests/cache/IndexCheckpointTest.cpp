// SPDX-License-Identifier: GPL-3.0-or-later
// The index written while the program runs: only when it changed, at most once per interval,
// with the clock injected so no test waits.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>

#include "cache/IndexCheckpoint.h"
#include "cache/MCacheFile.h"
#include "core/Exception.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::TempDir;
using testing::WriteFileOfSize;

class IndexCheckpointTest : public ::testing::Test {
  protected:
    IndexCheckpointTest() {
        cache.SetDirectory(dir.Path());
        cache.SetLimit(1 << 20);
        cache.SetSorted(true);
    }

    void AddThumbnail(const std::string& path, const std::string& image) {
        WriteFileOfSize(dir.Slash() + image, 100);
        auto record = std::make_unique<MCacheFile>();
        record->SourcePath = path;
        record->ImageFile = image;
        cache.Add(std::move(record));
    }

    // Records in the index on disk, as the next start would load them.
    int RecordsOnDisk() const {
        MCacheFileManager next;
        next.SetDirectory(dir.Path());
        next.SetLimit(1 << 20);
        next.Load();
        return next.Count();
    }

    bool IndexOnDisk() const { return fs::exists(dir.Slash() + MCacheFileManager::kIndexFileName); }

    TempDir dir;
    MCacheFileManager cache;
    std::chrono::steady_clock::time_point now{};
    IndexCheckpoint checkpoint{cache, [this] { return now; }};
};

TEST_F(IndexCheckpointTest, WritesAChangedIndexOncePerInterval) {
    AddThumbnail("/p/a.bmp", "PX0001.TMP");
    now += 29s;
    EXPECT_FALSE(checkpoint.SaveIfDue());
    EXPECT_FALSE(IndexOnDisk());
    now += 1s;
    EXPECT_TRUE(checkpoint.SaveIfDue());
    EXPECT_EQ(RecordsOnDisk(), 1);

    AddThumbnail("/p/b.bmp", "PX0002.TMP");
    now += 10s;
    EXPECT_FALSE(checkpoint.SaveIfDue());  // 10 s after the last write
    now += 20s;
    EXPECT_TRUE(checkpoint.SaveIfDue());
    EXPECT_EQ(RecordsOnDisk(), 2);
}

TEST_F(IndexCheckpointTest, UnchangedIndexIsNotRewritten) {
    now += 1h;
    EXPECT_FALSE(checkpoint.SaveIfDue());
    EXPECT_FALSE(checkpoint.SaveNow());
    EXPECT_FALSE(IndexOnDisk());

    AddThumbnail("/p/a.bmp", "PX0001.TMP");
    EXPECT_TRUE(checkpoint.SaveNow());
    now += 1h;
    EXPECT_FALSE(checkpoint.SaveIfDue());
}

TEST_F(IndexCheckpointTest, ScanEndWritesAtOnceAndDeletionsCount) {
    AddThumbnail("/p/a.bmp", "PX0001.TMP");
    EXPECT_TRUE(checkpoint.SaveNow());
    EXPECT_EQ(RecordsOnDisk(), 1);
    cache.Delete(0);  // a reload drops the record
    EXPECT_TRUE(checkpoint.SaveNow());
    EXPECT_EQ(RecordsOnDisk(), 0);
}

TEST_F(IndexCheckpointTest, LoadedIndexCountsAsWritten) {
    AddThumbnail("/p/a.bmp", "PX0001.TMP");
    cache.Save();
    cache.Load();
    checkpoint.MarkSaved();
    now += 1h;
    EXPECT_FALSE(checkpoint.SaveIfDue());
}

TEST_F(IndexCheckpointTest, FailedWriteRaisesAndWaitsForTheNextInterval) {
    AddThumbnail("/p/a.bmp", "PX0001.TMP");
    {
        // As on a full disk, not even the index's signature fits (for root too).
        const testing::FileSizeLimit full(4);
        now += 30s;
        EXPECT_THROW(checkpoint.SaveIfDue(), EFCreateError);
        now += 10s;
        EXPECT_FALSE(checkpoint.SaveIfDue());
    }
    now += 20s;
    EXPECT_TRUE(checkpoint.SaveIfDue());
    EXPECT_EQ(RecordsOnDisk(), 1);
}

}  // namespace
}  // namespace pixelary
