// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "cache/MCacheFile.h"
#include "cache/UniqueName.h"
#include "core/Stream.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

using testing::TempDir;

// One thread stores thumbnails the way the scanner does while another changes the directory
// and the limit the way the options dialog does; the index stays consistent throughout.
TEST(CacheThreads, OptionChangesDuringStoresKeepTheIndexConsistent) {
    TempDir first;
    TempDir second;
    MCacheFileManager cache;
    cache.SetDirectory(first.Path());
    cache.SetLimit(1 << 20);
    cache.SetSorted(true);
    std::atomic<bool> done{false};

    std::thread store([&] {
        for (int i = 0; i < 200; ++i) {
            const std::string dir = cache.Directory();
            const std::string file = CreateUniqueTempFile(dir, "PX");
            MemoryStream(std::vector<std::uint8_t>(1500, 1)).SaveToFile(file);
            auto record = std::make_unique<MCacheFile>();
            record->SourcePath = "/p/" + std::to_string(i % 50);
            record->ImageFile = std::filesystem::path(file).filename().string();
            record->LastUsed = i;
            const std::string path = record->SourcePath;
            cache.Add(std::move(record));
            auto guard = cache.Lock();  // a hit updates its record as one step
            const int pos = cache.IndexOf(path, 0);
            if (pos >= 0) cache.Item(pos)->LastUsed = i + 1;
        }
        done = true;
    });
    int flips = 0;
    while (!done) {
        cache.SetDirectory(++flips % 2 == 0 ? first.Path() : second.Path());
        cache.SetLimit(flips % 3 == 0 ? 64 : 1 << 20);
        std::this_thread::yield();
    }
    store.join();

    std::int64_t total = 0;
    for (int i = 0; i < cache.Count(); ++i) total += cache.Item(i)->SizeKB;
    EXPECT_EQ(total, cache.UsedKB());
    for (int i = 1; i < cache.Count(); ++i) {
        EXPECT_LE(cache.Item(i - 1)->SourcePath, cache.Item(i)->SourcePath);
    }
}

TEST(CacheThreads, ConcurrentUniqueNamesNeverCollide) {
    TempDir dir;
    std::vector<std::string> a, b;
    std::thread one([&] {
        for (int i = 0; i < 200; ++i) a.push_back(CreateUniqueTempFile(dir.Path(), "PX"));
    });
    for (int i = 0; i < 200; ++i) b.push_back(CreateUniqueTempFile(dir.Path(), "PX"));
    one.join();
    std::set<std::string> all(a.begin(), a.end());
    all.insert(b.begin(), b.end());
    EXPECT_EQ(all.size(), 400u);
}

}  // namespace
}  // namespace pixelary
