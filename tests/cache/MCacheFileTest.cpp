// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <regex>
#include <set>
#include <thread>

#include "cache/MCacheFile.h"
#include "cache/UniqueName.h"
#include "core/Exception.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using testing::WriteFileOfSize;

constexpr std::int32_t kDate = 0x2A4B6000;
constexpr std::int32_t kLaterStamp = 0x2A4B6010;
constexpr std::int32_t kGenerousLimitKB = 1 << 20;

std::unique_ptr<MCacheFile> Record(const std::string& path, const std::string& image,
                                   std::int32_t lastUsed, std::int32_t size = 1234) {
    auto record = std::make_unique<MCacheFile>();
    record->SourcePath = path;
    record->SourceSize = size;
    record->SourceDate = kDate;
    record->ImageFile = image;
    record->LastUsed = lastUsed;
    return record;
}

// A manager on a fresh directory, sorted, with room for everything unless a test lowers it.
class CacheTest : public ::testing::Test {
  protected:
    CacheTest() {
        cache.SetDirectory(dir.Path());
        cache.SetLimit(kGenerousLimitKB);
        cache.SetSorted(true);
    }

    // Adds a record whose thumbnail file of the given size exists.
    void AddWithFile(const std::string& path, const std::string& image, std::int32_t lastUsed,
                     std::size_t bytes = 100, std::int32_t size = 1234) {
        WriteFileOfSize(dir.Slash() + image, bytes);
        cache.Add(Record(path, image, lastUsed, size));
    }

    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (int i = 0; i < cache.Count(); ++i) paths.push_back(cache.Item(i)->SourcePath);
        return paths;
    }

    std::string IndexPath() const { return dir.Slash() + MCacheFileManager::kIndexFileName; }

    TempDir dir;
    MCacheFileManager cache;
};

std::vector<std::uint8_t> ExampleIndex() {
    std::vector<std::uint8_t> bytes = {0x4D, 0x43, 0x61, 0x63, 0x68, 0x65, 0x31, 0x30, 0x00,
                                       0x01, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00};
    for (char c : std::string("C:\\P\\a.bmp")) bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.insert(bytes.end(),
                 {0x00, 0xD2, 0x04, 0x00, 0x00, 0x00, 0x60, 0x4B, 0x2A, 0x0B, 0x00, 0x00, 0x00});
    for (char c : std::string("PX1A2B.TMP")) bytes.push_back(static_cast<std::uint8_t>(c));
    bytes.insert(bytes.end(), {0x00, 0x10, 0x60, 0x4B, 0x2A});
    return bytes;
}

TEST_F(CacheTest, OneRecordIndexIsTheFiftyFiveByteLayoutBothWays) {
    AddWithFile("C:\\P\\a.bmp", "PX1A2B.TMP", kLaterStamp);
    cache.Save();
    const auto expected = ExampleIndex();
    ASSERT_EQ(expected.size(), 55u);
    EXPECT_EQ(ReadFile(IndexPath()), expected);

    MCacheFileManager loaded;
    loaded.SetDirectory(dir.Path());
    loaded.SetLimit(kGenerousLimitKB);
    loaded.Load();
    ASSERT_EQ(loaded.Count(), 1);
    const MCacheFile* record = loaded.Item(0);
    EXPECT_EQ(record->SourcePath, "C:\\P\\a.bmp");
    EXPECT_EQ(record->SourceSize, 1234);
    EXPECT_EQ(record->SourceDate, kDate);
    EXPECT_EQ(record->ImageFile, "PX1A2B.TMP");
    EXPECT_EQ(record->LastUsed, kLaterStamp);
    EXPECT_EQ(record->Present, 1);
    EXPECT_EQ(record->SizeKB, 1);
    EXPECT_EQ(loaded.UsedKB(), 1);
}

TEST_F(CacheTest, EmptyTextsAndManyRecordsRoundTrip) {
    AddWithFile("", "PX0001.TMP", 5);
    AddWithFile("/b/\xE5\x9C\x96.png", "PX0002.TMP", 6, 3000);
    AddWithFile("/a/x.bmp", "PX0003.TMP", 7);
    cache.Save();
    MCacheFileManager loaded;
    loaded.SetDirectory(dir.Path());
    loaded.SetLimit(kGenerousLimitKB);
    loaded.SetSorted(true);
    loaded.Load();
    ASSERT_EQ(loaded.Count(), 3);
    EXPECT_EQ(loaded.Item(0)->SourcePath, "");
    EXPECT_EQ(loaded.Item(2)->SourcePath, "/b/\xE5\x9C\x96.png");
    EXPECT_EQ(loaded.UsedKB(), 1 + 3 + 1);
    // An empty text is stored as length 1 and a single NUL.
    const auto bytes = ReadFile(IndexPath());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 13, bytes.begin() + 18),
              (std::vector<std::uint8_t>{1, 0, 0, 0, 0}));
}

TEST_F(CacheTest, LoadDropsRecordsWithoutImageAndSweepsOrphans) {
    AddWithFile("/p/kept.bmp", "PX0001.TMP", 1);
    AddWithFile("/p/gone.bmp", "PX0002.TMP", 1);
    cache.Save();
    fs::remove(dir.Slash() + "PX0002.TMP");
    WriteFileOfSize(dir.Slash() + "PXBEEF.TMP", 10);  // a thumbnail no record names
    WriteFileOfSize(dir.Slash() + "PX00ff.tmp", 10);  // the suffix ignores case
    WriteFileOfSize(dir.Slash() + "other.TMP", 10);   // not a thumbnail name: kept
    WriteFileOfSize(dir.Slash() + "notes.txt", 10);
    fs::create_directory(dir.Slash() + "PXD1D1.TMP");

    cache.Load();
    EXPECT_EQ(Paths(), std::vector<std::string>{"/p/kept.bmp"});
    EXPECT_TRUE(fs::exists(dir.Slash() + "PX0001.TMP"));
    EXPECT_FALSE(fs::exists(dir.Slash() + "PXBEEF.TMP"));
    EXPECT_FALSE(fs::exists(dir.Slash() + "PX00ff.tmp"));
    EXPECT_TRUE(fs::exists(dir.Slash() + "other.TMP"));
    EXPECT_TRUE(fs::exists(dir.Slash() + "notes.txt"));
    EXPECT_TRUE(fs::is_directory(dir.Slash() + "PXD1D1.TMP"));
}

// A crash before the first index was written: the thumbnails made until then are orphans.
TEST_F(CacheTest, MissingIndexSweepsOrphansAndKeepsTheRecords) {
    AddWithFile("/p/kept.bmp", "PX0001.TMP", 1);
    WriteFileOfSize(dir.Slash() + "PXBEEF.TMP", 10);
    ASSERT_FALSE(fs::exists(IndexPath()));
    cache.Load();
    EXPECT_EQ(Paths(), std::vector<std::string>{"/p/kept.bmp"});
    EXPECT_TRUE(fs::exists(dir.Slash() + "PX0001.TMP"));
    EXPECT_FALSE(fs::exists(dir.Slash() + "PXBEEF.TMP"));
}

TEST_F(CacheTest, WrongSignatureOrMissingCountIsAnEmptyIndexAndSweepsEverything) {
    const auto example = ExampleIndex();
    auto bad_ninth = example;
    bad_ninth[8] = '!';
    const std::vector<std::vector<std::uint8_t>> damaged = {
        bad_ninth, std::vector<std::uint8_t>(example.begin(), example.begin() + 11), {'M', 'C'}};
    for (const auto& bytes : damaged) {
        WriteFile(IndexPath(), bytes);
        WriteFileOfSize(dir.Slash() + "PX1A2B.TMP", 10);
        cache.Load();
        EXPECT_EQ(cache.Count(), 0);
        EXPECT_FALSE(fs::exists(dir.Slash() + "PX1A2B.TMP"));
    }
}

TEST_F(CacheTest, CutShortOrBadLengthKeepsEarlierRecordsAndRaisesTheReadError) {
    AddWithFile("/p/a.bmp", "PX0001.TMP", 1);
    AddWithFile("/p/b.bmp", "PX0002.TMP", 1);
    cache.Save();
    const auto good = ReadFile(IndexPath());
    const std::size_t first_record_end = 13 + 4 + 9 + 4 + 4 + 4 + 11 + 4;

    auto cut = good;
    cut.resize(good.size() - 2);
    auto huge_length = good;  // the second record's path length claims 2 GB
    huge_length[first_record_end + 3] = 0x7F;
    auto zero_length = good;
    zero_length[first_record_end] = 0;
    auto negative_count = good;
    negative_count[12] = 0x80;

    for (const auto& bytes : {cut, huge_length, zero_length}) {
        WriteFile(IndexPath(), bytes);
        EXPECT_THROW(cache.Load(), EReadError);
        EXPECT_EQ(Paths(), std::vector<std::string>{"/p/a.bmp"});
    }
    WriteFile(IndexPath(), negative_count);
    cache.Load();
    EXPECT_EQ(cache.Count(), 0);
}

TEST_F(CacheTest, ImageNamesOutsideTheDirectoryAreNeverTrusted) {
    TempDir other;
    WriteFileOfSize(other.Slash() + "victim.TMP", 10);
    const std::string escape = "../" + fs::path(other.Path()).filename().string() + "/victim.TMP";
    cache.Add(Record("/p/a.bmp", escape, 1));
    cache.Add(Record("/p/b.bmp", "..", 1));
    EXPECT_EQ(cache.Count(), 0);
    cache.SetLimit(1);
    AddWithFile("/p/c.bmp", "PX0001.TMP", 1);  // evicts everything
    EXPECT_TRUE(fs::exists(other.Slash() + "victim.TMP"));
}

TEST_F(CacheTest, SamePathRecordsSitTogetherAndLookupsFindTheFirst) {
    for (const char* path : {"/p/c", "/p/a", "/p/e", "/p/b", "/p/d", "/p/f", "/p/g"}) {
        AddWithFile(path, std::string("PX") + path[3] + "000.TMP", 1);
    }
    // Newer versions of a changed picture go before the equal records.
    AddWithFile("/p/d", "PXD001.TMP", 2, 100, 999);
    AddWithFile("/p/d", "PXD002.TMP", 3, 100, 777);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/p/a", "/p/b", "/p/c", "/p/d", "/p/d", "/p/d",
                                                 "/p/e", "/p/f", "/p/g"}));
    const int first = cache.IndexOf("/p/d", 0);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(cache.IndexOf("/p/d", 4), 4);
    EXPECT_EQ(cache.IndexOf("/p/d", 6), -1);
    EXPECT_EQ(cache.IndexOf("/p/d", -7), 3);
    EXPECT_EQ(cache.IndexOf("/p/zz", 0), -1);
    EXPECT_EQ(cache.IndexOf("/p/a", 0), 0);
    EXPECT_EQ(cache.IndexOf("/p/g", 0), 8);
    EXPECT_EQ(cache.IndexOf("/p/a", 100), -1);
    EXPECT_GE(cache.IndexOfImageFile("PXD001.TMP"), first);
    EXPECT_GE(cache.IndexOfImageFile("PXD002.TMP"), first);
    EXPECT_EQ(cache.IndexOfImageFile("nothing"), -1);
}

TEST_F(CacheTest, SortingOnOrdersByPathAndUnsortedSearchesLinearly) {
    MCacheFileManager unsorted;
    unsorted.SetDirectory(dir.Path());
    unsorted.SetLimit(kGenerousLimitKB);
    for (const char* path : {"/z", "/m", "/a"}) {
        WriteFileOfSize(dir.Slash() + std::string("PX") + path[1] + ".TMP", 10);
        unsorted.Add(Record(path, std::string("PX") + path[1] + ".TMP", 1));
    }
    EXPECT_EQ(unsorted.IndexOf("/a", 0), 2);
    unsorted.SetSorted(true);
    EXPECT_EQ(unsorted.Item(0)->SourcePath, "/a");
    EXPECT_EQ(unsorted.Item(2)->SourcePath, "/z");
    EXPECT_EQ(unsorted.IndexOf("/z", 0), 2);
}

TEST_F(CacheTest, EvictionTakesLeastRecentlyUsedAndEqualStampsInPathOrder) {
    AddWithFile("/p/c", "PX000C.TMP", kLaterStamp, 1024);
    AddWithFile("/p/b", "PX000B.TMP", kDate, 1024);
    AddWithFile("/p/a", "PX000A.TMP", kDate, 1024);
    AddWithFile("/p/d", "PX000D.TMP", kDate + 0x20, 1024);
    EXPECT_EQ(cache.UsedKB(), 4);
    cache.SetLimit(4);
    EXPECT_EQ(cache.Count(), 4);  // nothing happens until the next Add or Evict
    cache.Evict();
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/p/b", "/p/c", "/p/d"}));
    EXPECT_FALSE(fs::exists(dir.Slash() + "PX000A.TMP"));
    AddWithFile("/p/e", "PX000E.TMP", kLaterStamp + 2, 1024);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/p/c", "/p/d", "/p/e"}));
    cache.SetLimit(2);  // at the limit is too much: c and then e (older than d) go
    cache.Evict();
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/p/d"}));
    EXPECT_EQ(cache.UsedKB(), 1);
}

TEST_F(CacheTest, LimitOfZeroBecomesOneAndEvictsEverythingIncludingTheNewRecord) {
    AddWithFile("/p/a", "PX000A.TMP", 1);
    cache.SetLimit(0);
    EXPECT_EQ(cache.LimitKB(), 1);
    cache.SetLimit(-5);
    EXPECT_EQ(cache.LimitKB(), 1);
    AddWithFile("/p/b", "PX000B.TMP", 2, 1);
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.UsedKB(), 0);
    EXPECT_FALSE(fs::exists(dir.Slash() + "PX000B.TMP"));
}

TEST_F(CacheTest, LimitSettlesAtWholeKilobytesPerFile) {
    cache.SetLimit(4096);
    for (int i = 0; i < 410; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "PX%04X.TMP", i + 1);
        const std::int32_t stamp = kDate + ((i / 30) << 5) + i % 30;  // one more 2 s step each
        AddWithFile("/p/" + std::to_string(i), name, stamp, 10 * 1024 - 100);
        if (i == 408) {
            EXPECT_EQ(cache.Count(), 409);
        }
    }
    EXPECT_EQ(cache.Count(), 409);
    EXPECT_EQ(cache.UsedKB(), 4090);
    EXPECT_EQ(cache.IndexOf("/p/0", 0), -1);  // the least recently used went
    EXPECT_FALSE(fs::exists(dir.Slash() + "PX0001.TMP"));
}

TEST_F(CacheTest, DeleteAndClearKeepTheUsedTotalAndTheFiles) {
    AddWithFile("/p/a", "PX000A.TMP", 1, 2048);
    AddWithFile("/p/b", "PX000B.TMP", 1, 1);
    cache.Delete(5);
    cache.Delete(-1);
    EXPECT_EQ(cache.Count(), 2);
    cache.Delete(0);
    EXPECT_EQ(cache.UsedKB(), 1);
    EXPECT_TRUE(fs::exists(dir.Slash() + "PX000A.TMP"));
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.UsedKB(), 0);
}

TEST_F(CacheTest, DirectoryFallsBackToTheTemporaryDirectory) {
    const std::string temp = TempDirectory() + "/";
    EXPECT_EQ(cache.Directory(), dir.Slash());
    for (const std::string& bad : {std::string("/"), dir.Slash(), dir.Slash() + "missing",
                                   std::string(), dir.Slash() + "file"}) {
        WriteFileOfSize(dir.Slash() + "file", 1);
        cache.SetDirectory(bad);
        EXPECT_EQ(cache.Directory(), temp) << bad;
    }
}

TEST_F(CacheTest, SaveReplacesTheIndexOnlyWhenTheNewOneIsComplete) {
    AddWithFile("/p/a", "PX000A.TMP", 1);
    cache.Save();
    const auto before = ReadFile(IndexPath());
    AddWithFile("/p/b", "PX000B.TMP", 1);
    {
        // The new index (two records) does not fit: the old one (one record) is kept whole.
        const testing::FileSizeLimit full(before.size());
        EXPECT_THROW(cache.Save(), EFCreateError);
    }
    EXPECT_EQ(ReadFile(IndexPath()), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 3)
        << "the index and two thumbnails, no new index left behind";

    MCacheFileManager nowhere;
    nowhere.Save();  // no directory: nothing to do
    nowhere.Load();
    EXPECT_EQ(nowhere.Count(), 0);
}

TEST_F(CacheTest, ProgramsSavingAtOnceNeverMixTheirIndexes) {
    MCacheFileManager other;
    other.SetDirectory(dir.Path());
    other.SetLimit(kGenerousLimitKB);
    AddWithFile("/p/a", "PX000A.TMP", 1);
    for (const char* image : {"PX000B.TMP", "PX000C.TMP"}) {
        WriteFileOfSize(dir.Slash() + image, 1);
        other.Add(Record(std::string("/q/") + image, image, 1, 1));
    }
    std::thread second([&] {
        for (int i = 0; i < 200; ++i) other.Save();
    });
    for (int i = 0; i < 200; ++i) EXPECT_NO_THROW(cache.Save());
    second.join();
    // Whoever renamed last, the index is one of the two, whole.
    MCacheFileManager loaded;
    loaded.SetDirectory(dir.Path());
    loaded.SetLimit(kGenerousLimitKB);
    loaded.Load();
    EXPECT_TRUE(loaded.Count() == 1 || loaded.Count() == 2) << loaded.Count();
}

TEST_F(CacheTest, NewIndexesOfEndedProgramsAreSweptOthersKept) {
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    const std::string prefix = IndexPath() + ".new.";
    const std::string abandoned = prefix + std::to_string(ended) + ".0";
    const std::string running = prefix + std::to_string(getpid()) + ".7";
    WriteFileOfSize(abandoned, 10);
    WriteFileOfSize(running, 10);
    WriteFileOfSize(dir.Slash() + "notes.new.1.0", 10);
    cache.Load();  // no index: a sweep
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(dir.Slash() + "notes.new.1.0"));
}

TEST(UniqueName, NamesArePrefixedHexDigitsAndNeverReused) {
    TempDir dir;
    const std::regex pattern("PX[0-9A-F]{4}\\.TMP");
    std::set<std::string> names;
    for (int i = 0; i < 300; ++i) {
        const std::string path = CreateUniqueTempFile(dir.Path(), "PX");
        const std::string name = fs::path(path).filename().string();
        EXPECT_TRUE(std::regex_match(name, pattern)) << name;
        EXPECT_EQ(fs::path(path).parent_path(), fs::path(dir.Path()));
        EXPECT_EQ(fs::file_size(path), 0u);
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 300u);
    EXPECT_THROW(CreateUniqueTempFile(dir.Slash() + "missing", "PX"), EFCreateError);
}

}  // namespace
}  // namespace pixelary
