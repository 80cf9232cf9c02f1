// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>

#include "ScanTestSupport.h"
#include "cache/MCacheFile.h"
#include "core/Cancel.h"
#include "core/Log.h"
#include "core/Stream.h"
#include "readers/ThumbnailSize.h"
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

void WriteBmp(const std::string& path, int width, int height, int depth = 24) {
    Dib picture(width, height, depth);
    if (depth <= 8) picture.SetPalette({0x000000, 0xFF0000});
    picture.SaveToFile(path);
}

std::vector<std::uint8_t> PreviewDocument(const std::vector<std::uint8_t>& bmp,
                                          std::uint32_t declaredLength) {
    std::vector<std::uint8_t> doc = {'Q', 'X'};
    std::string name = "ObjManager";
    name.resize(32, '\0');
    doc.insert(doc.end(), name.begin(), name.end());
    doc.insert(doc.end(), {0, 0, 1, 0});
    for (int shift = 0; shift < 32; shift += 8) {
        doc.push_back(static_cast<std::uint8_t>(declaredLength >> shift));
    }
    doc.insert(doc.end(), bmp.begin(), bmp.end());
    return doc;
}

// A folder of pictures, a cache beside it and one full scan at a time.
class ScanTest : public ::testing::Test {
  protected:
    ScanTest() {
        fs::create_directory(CacheDir());
        cache.SetDirectory(CacheDir());
        cache.SetLimit(1 << 20);
        cache.SetSorted(true);
    }

    std::string CacheDir() const { return root.Slash() + "cache"; }
    std::string Picture(const std::string& name) const { return root.Slash() + "pics/" + name; }
    void MakeFolder() { fs::create_directories(root.Slash() + "pics"); }

    // Scans the folder to its end; the view holds what the scanner reported.
    DirectoryScanEntries Scan(RecordingView& view, std::uint8_t reload = 0) {
        DirectoryScanEntries entries(root.Slash() + "pics");
        MScanIcon scanner(view, &cache, reload);
        scanner.Start(&entries, kBoxWidth, kBoxHeight);
        scanner.WaitFor();
        EXPECT_FALSE(view.calledOffMainThread);
        return entries;
    }

    std::set<std::string> ThumbnailFiles() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(CacheDir())) {
            if (entry.path().extension() == ".TMP") names.insert(entry.path().filename());
        }
        return names;
    }

    std::set<std::string> IndexedFiles() const {
        std::set<std::string> names;
        for (int i = 0; i < cache.Count(); ++i) names.insert(cache.Item(i)->ImageFile);
        return names;
    }

    TempDir root;
    MCacheFileManager cache;
    FakeLibrary library;
};

TEST_F(ScanTest, PicturesBecomeThumbnailsOfTheBoxRuleAndAreCached) {
    MakeFolder();
    WriteBmp(Picture("a188x156.bmp"), 188, 156);
    WriteBmp(Picture("b47x39.bmp"), 47, 39);
    WriteBmp(Picture("c640x480.bmp"), 640, 480, 8);
    WriteBmp(Picture("d1000x10.bmp"), 1000, 10);
    fs::create_directory(Picture("folder"));
    WriteFile(Picture("notes.txt"), {'h', 'i'});

    RecordingView view;
    DirectoryScanEntries entries = Scan(view);
    ASSERT_EQ(entries.ChildCount(), 6);  // the folder first
    EXPECT_TRUE(entries.LargeImage(0).IsEmpty());
    const std::vector<std::pair<int, int>> sizes = {{94, 78}, {94, 78}, {93, 70}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(entries.LargeImage(i + 1).Width(), sizes[i].first) << i;
        EXPECT_EQ(entries.LargeImage(i + 1).Height(), sizes[i].second) << i;
    }
    EXPECT_EQ(entries.LargeImage(3).BitCount(), 8);
    EXPECT_EQ(entries.LargeImage(3).Palette(),
              (std::vector<std::uint32_t>{0x000000, 0xFF0000}));  // the reader's palette
    EXPECT_TRUE(entries.LargeImage(5).IsEmpty());
    EXPECT_EQ(view.invalidated, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(view.progress, (std::vector<int>{16, 33, 50, 66, 83, 100, -1}));
    EXPECT_EQ(cache.Count(), 4);
    EXPECT_EQ(ThumbnailFiles(), IndexedFiles());
}

TEST_F(ScanTest, TalliesCountDecodesAndHits) {
    MakeFolder();
    for (const char* name : {"a.jpg", "b.jpg", "c.txt"}) WriteFile(Picture(name), {'x'});
    DirectoryScanEntries entries(root.Slash() + "pics");
    RecordingView view;
    for (int made : {2, 0}) {
        MScanIcon scanner(view, &cache, 0);
        scanner.Start(&entries, kBoxWidth, kBoxHeight);
        scanner.WaitFor();
        EXPECT_EQ(scanner.ThumbnailsMade, made);
        EXPECT_EQ(scanner.CacheHits, 2 - made);
    }
}

TEST_F(ScanTest, FormatKeyIsTheLastThreeBytesWhateverPrecedesThem) {
    EXPECT_EQ(FormatKey("/p/holiday.jpeg"), "jpg");
    EXPECT_EQ(FormatKey("/p/PHOTOJPG"), "jpg");
    EXPECT_EQ(FormatKey("a.b"), "");
    MakeFolder();
    WriteFile(Picture("holiday.jpeg"), {'x'});
    WriteFile(Picture("photojpg"), {'x'});
    WriteFile(Picture("broken.gif"), {'b', 'a', 'd'});
    RecordingView view;
    DirectoryScanEntries entries = Scan(view);
    // broken.gif, holiday.jpeg, photojpg
    EXPECT_TRUE(entries.LargeImage(0).IsEmpty());
    EXPECT_EQ(entries.LargeImage(1).Width(), 94);
    EXPECT_EQ(entries.LargeImage(2).Width(), 94);
    EXPECT_EQ(entries.LargeImage(2).Height(), 47);
    EXPECT_EQ(library.SortedKeys(), (std::vector<std::string>{"gif", "jpg", "jpg"}));
    EXPECT_EQ(view.invalidated, (std::vector<int>{1, 2}));
}

// Pictures named with the longer everyday extensions get their thumbnails: ".jpeg", ".jpe" and
// ".jfif" through the library as JPEG pictures, ".tiff" through the own TIFF reader.
TEST_F(ScanTest, LongerExtensionsAreThumbnailed) {
    MakeFolder();
    for (const char* name : {"a.JPEG", "b.jpe", "c.jfif"}) WriteFile(Picture(name), {'x'});
    fs::copy_file(PIXELARY_TEST_DATA "/readers/tif/rgb24.tif", Picture("d.tiff"));
    RecordingView view;
    DirectoryScanEntries entries = Scan(view);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(entries.LargeImage(i).IsEmpty()) << i;
    EXPECT_EQ(entries.LargeImage(3).Width(), 93);  // 37 x 23 fitted into the box
    EXPECT_EQ(library.SortedKeys(), (std::vector<std::string>{"jpg", "jpg", "jpg"}));
    EXPECT_EQ(cache.Count(), 4);
}

TEST_F(ScanTest, SecondScanTakesEveryThumbnailFromTheCache) {
    MakeFolder();
    for (const char* name : {"a.jpg", "b.png", "c.gif"}) WriteFile(Picture(name), {'x'});
    RecordingView first;
    Scan(first);
    ASSERT_EQ(library.calls, 3);
    for (int i = 0; i < cache.Count(); ++i) cache.Item(i)->LastUsed = 0;

    RecordingView second;
    DirectoryScanEntries entries = Scan(second);
    EXPECT_EQ(library.calls, 3);
    EXPECT_EQ(second.invalidated, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(entries.LargeImage(1).Width(), 94);
    EXPECT_EQ(cache.Count(), 3);
    for (int i = 0; i < cache.Count(); ++i) EXPECT_NE(cache.Item(i)->LastUsed, 0);
}

TEST_F(ScanTest, ChangedPictureIsDecodedAgainBesideTheStaleRecord) {
    MakeFolder();
    WriteFile(Picture("a.jpg"), {'x'});
    RecordingView first;
    Scan(first);
    WriteFile(Picture("a.jpg"), {'x', 'y', 'z'});  // new size
    RecordingView second;
    Scan(second);
    EXPECT_EQ(library.calls, 2);
    ASSERT_EQ(cache.Count(), 2);
    EXPECT_EQ(cache.Item(0)->SourcePath, cache.Item(1)->SourcePath);
    RecordingView third;
    Scan(third);
    EXPECT_EQ(library.calls, 2);  // the lookup skipped the stale record
}

TEST_F(ScanTest, ReloadRemovesEachHitAndMakesEveryThumbnailAgain) {
    MakeFolder();
    for (const char* name : {"a.jpg", "b.jpg"}) WriteFile(Picture(name), {'x'});
    RecordingView first;
    Scan(first);
    const std::set<std::string> old_files = IndexedFiles();
    RecordingView reload;
    Scan(reload, 1);
    EXPECT_EQ(library.calls, 4);
    EXPECT_EQ(cache.Count(), 2);
    for (const auto& name : old_files) EXPECT_EQ(cache.IndexOfImageFile(name), -1);
    EXPECT_EQ(ThumbnailFiles().size(), 4u);  // the old files wait for the sweep
    cache.Sweep();
    EXPECT_EQ(ThumbnailFiles(), IndexedFiles());
}

TEST_F(ScanTest, EmptyOrMissingFolderEndsAtOnceWithoutProgress) {
    MakeFolder();
    RecordingView view;
    Scan(view);
    EXPECT_TRUE(view.progress.empty());
    fs::remove(root.Slash() + "pics");
    Scan(view);
    EXPECT_TRUE(view.progress.empty());
}

TEST_F(ScanTest, StaleCacheFileGivesNoThumbnailAndNoDecode) {
    MakeFolder();
    WriteFile(Picture("a.jpg"), {'x'});
    RecordingView first;
    Scan(first);
    WriteFile(CacheDir() + "/" + cache.Item(0)->ImageFile, {'j', 'u', 'n', 'k'});
    RecordingView second;
    DirectoryScanEntries entries = Scan(second);
    EXPECT_TRUE(entries.LargeImage(0).IsEmpty());
    EXPECT_TRUE(second.invalidated.empty());
    EXPECT_EQ(library.calls, 1);
    EXPECT_EQ(second.progress, (std::vector<int>{100, -1}));
}

TEST_F(ScanTest, PreviewDocumentsShowTheirEmbeddedBitmap) {
    MakeFolder();
    const auto bmp = Dib(30, 20, 24).ToBmpBytes();
    WriteFile(Picture("a.osp"), PreviewDocument(bmp, static_cast<std::uint32_t>(bmp.size())));
    WriteFile(Picture("b.osp"), PreviewDocument(bmp, 0x7FFFFFF0));  // length beyond the file
    auto short_preview = PreviewDocument(bmp, static_cast<std::uint32_t>(bmp.size()));
    short_preview.resize(short_preview.size() - 10);
    WriteFile(Picture("c.osp"), short_preview);
    auto wrong_name = PreviewDocument(bmp, static_cast<std::uint32_t>(bmp.size()));
    wrong_name[3] = 'X';
    WriteFile(Picture("d.osp"), wrong_name);
    WriteFile(Picture("e.osp"), {'Q', 'X'});
    RecordingView view;
    DirectoryScanEntries entries = Scan(view);
    EXPECT_EQ(entries.LargeImage(0).Width(), 30);  // as stored, not fitted to the box
    EXPECT_EQ(entries.LargeImage(0).Height(), 20);
    for (int i = 1; i < 5; ++i) EXPECT_TRUE(entries.LargeImage(i).IsEmpty()) << i;
    EXPECT_EQ(cache.Count(), 1);
    RecordingView again;
    Scan(again);
    EXPECT_EQ(again.invalidated, std::vector<int>{0});  // from the cache this time
}

TEST_F(ScanTest, TerminatingMidScanStillReportsDone) {
    MakeFolder();
    for (int i = 0; i < 20; ++i) WriteFile(Picture("p" + std::to_string(100 + i) + ".jpg"), {'x'});
    RecordingView view;
    DirectoryScanEntries entries(root.Slash() + "pics");
    {
        MScanIcon scanner(view, &cache, 0);
        view.onInvalidate = [&](int index) {
            if (index == 4) scanner.Terminate();
        };
        scanner.Start(&entries, kBoxWidth, kBoxHeight);
    }  // the destructor serves the hand-over until the thread ends
    EXPECT_EQ(view.progress.back(), -1);
    EXPECT_EQ(view.progress.size(), 5u);  // 4 progress reports, then done
    EXPECT_EQ(cache.Count(), 5);
    EXPECT_FALSE(view.calledOffMainThread);
}

TEST_F(ScanTest, ClosingDuringAScanLeavesEveryThumbnailIndexedOrSwept) {
    MakeFolder();
    for (int i = 0; i < 30; ++i) WriteFile(Picture("p" + std::to_string(100 + i) + ".png"), {'x'});
    RecordingView view;
    DirectoryScanEntries entries(root.Slash() + "pics");
    {
        MScanIcon scanner(view, &cache, 0);
        scanner.Start(&entries, kBoxWidth, kBoxHeight);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // let it do some work
        scanner.Terminate();
    }
    const int stored = cache.Count();
    EXPECT_EQ(stored, static_cast<int>(view.invalidated.size()));
    cache.Save();
    WriteFile(CacheDir() + "/PX0000.TMP", {});  // as a crash between file and index leaves it

    MCacheFileManager next;
    next.SetDirectory(CacheDir());
    next.SetLimit(1 << 20);
    next.SetSorted(true);
    next.Load();
    EXPECT_EQ(next.Count(), stored);
    std::set<std::string> indexed;
    for (int i = 0; i < next.Count(); ++i) indexed.insert(next.Item(i)->ImageFile);
    EXPECT_EQ(ThumbnailFiles(), indexed);
}

TEST_F(ScanTest, OptionChangesDuringAScanAreSafe) {
    MakeFolder();
    for (int i = 0; i < 40; ++i) WriteFile(Picture("p" + std::to_string(100 + i) + ".tif"), {'x'});
    TempDir other;
    RecordingView view;
    int changes = 0;
    // The options dialog runs on the main thread while the worker stores thumbnails.
    view.onProgress = [&](int) {
        ++changes;
        cache.SetDirectory(changes % 2 == 0 ? CacheDir() : other.Path());
        cache.SetLimit(changes % 3 == 0 ? 8 : 1 << 20);
    };
    Scan(view);
    std::int64_t total = 0;
    for (int i = 0; i < cache.Count(); ++i) total += cache.Item(i)->SizeKB;
    EXPECT_EQ(total, cache.UsedKB());
    EXPECT_EQ(view.invalidated.size(), 40u);  // every picture got its thumbnail regardless
}

// Entries that fail on the main thread: the scan goes on and still reports its end.
class FailingEntries : public ScanEntries {
  public:
    explicit FailingEntries(std::string picture) : picture_(std::move(picture)) {}
    int ChildCount() override { return 3; }
    std::optional<EntrySnapshot> FileEntry(int index) override {
        if (index == 0) throw Exception("entry gone");
        return EntrySnapshot{picture_, 1, 0};
    }
    void SetLargeImage(int index, const Dib&) override {
        if (index == 1) throw EWriteError();
        stored.push_back(index);
    }
    std::vector<int> stored;

  private:
    std::string picture_;
};

TEST_F(ScanTest, EntryFailuresOnTheMainThreadCostOnlyThatEntry) {
    MakeFolder();
    WriteFile(Picture("a.jpg"), {'x'});
    FailingEntries entries(Picture("a.jpg"));
    RecordingView view;
    {
        MScanIcon scanner(view, nullptr, 0);
        scanner.Start(&entries, kBoxWidth, kBoxHeight);
    }
    EXPECT_EQ(entries.stored, std::vector<int>{2});
    EXPECT_EQ(view.invalidated, std::vector<int>{2});
    EXPECT_EQ(view.progress, (std::vector<int>{33, 66, 100, -1}));
}

TEST_F(ScanTest, NoCacheStillMakesThumbnails) {
    MakeFolder();
    WriteFile(Picture("a.jpg"), {'x'});
    DirectoryScanEntries entries(root.Slash() + "pics");
    RecordingView view;
    {
        MScanIcon scanner(view, nullptr, 0);
        scanner.Start(&entries, kBoxWidth, kBoxHeight);
        scanner.Start(&entries, 1, 1);  // a scanner runs once
        EXPECT_EQ(scanner.BoxWidth, kBoxWidth);
    }
    EXPECT_EQ(view.invalidated, std::vector<int>{0});
}

// A stop request reaches the decode in progress (the image component asks it while a long
// render runs), and outside a scan nothing asks to stop.
TEST_F(ScanTest, StopRequestReachesTheDecodeInProgress) {
    MakeFolder();
    WriteFile(Picture("a.jpg"), {'x'});
    DirectoryScanEntries entries(root.Slash() + "pics");
    RecordingView view;
    MScanIcon scanner(view, &cache, 0);
    std::atomic<int> before{-1};
    std::atomic<int> after{-1};
    SetLibraryReaderFactory([&](const std::string&, const std::string&) {
        before = StopRequested() ? 1 : 0;
        scanner.Terminate();  // as the main window does while the decode runs
        after = StopRequested() ? 1 : 0;
        return std::unique_ptr<MDiskImage>();
    });
    scanner.Start(&entries, kBoxWidth, kBoxHeight);
    scanner.WaitFor();
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1);
    EXPECT_FALSE(StopRequested());
}

TEST_F(ScanTest, MakeThumbnailAloneRefusesShortPathsAndFailedStoresKeepTheThumbnail) {
    RecordingView view;
    MScanIcon scanner(view, &cache, 0);
    scanner.BoxWidth = kBoxWidth;
    scanner.BoxHeight = kBoxHeight;
    scanner.EntryPath = "jpg";
    EXPECT_FALSE(scanner.MakeThumbnail());
    MakeFolder();
    WriteFile(Picture("a.jpg"), {'x'});
    scanner.EntryPath = Picture("a.jpg");
    scanner.EntryValid = 1;
    fs::remove_all(CacheDir());  // the thumbnail cannot be stored
    EXPECT_TRUE(scanner.MakeThumbnail());
    EXPECT_EQ(scanner.WorkBitmap.Width(), 94);
    EXPECT_EQ(cache.Count(), 0);
    scanner.Terminate();
    EXPECT_FALSE(scanner.MakeThumbnail());
}

// Collects every log record for the life of the object (decoding threads log too).
class LogRecorder {
  public:
    LogRecorder() {
        log::SetSink([this](log::Category category, log::Level level, std::string_view text) {
            std::lock_guard lock(mutex_);
            records_.push_back({category, level, std::string(text)});
        });
    }
    ~LogRecorder() { log::SetSink({}); }
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    // Whether a debug record of category holds every one of the texts.
    bool Logged(log::Category category, std::initializer_list<std::string_view> texts) {
        std::lock_guard lock(mutex_);
        return std::any_of(records_.begin(), records_.end(), [&](const Record& record) {
            return record.category == category && record.level == log::Level::Debug &&
                   std::all_of(texts.begin(), texts.end(), [&](std::string_view text) {
                       return record.text.find(text) != std::string::npos;
                   });
        });
    }

  private:
    struct Record {
        log::Category category;
        log::Level level;
        std::string text;
    };
    std::mutex mutex_;
    std::vector<Record> records_;
};

// Errors the readers, the cache and the scanner drop on purpose still leave a trace: the
// file and the reason, in the subsystem's category.
TEST_F(ScanTest, DroppedErrorsReachTheLogWithTheFileAndTheReason) {
    LogRecorder log;
    MakeFolder();
    WriteFile(Picture("bad.jpg"), {'b', 'a', 'd'});
    WriteFile(Picture("good.jpg"), {'x'});
    RecordingView first;
    Scan(first);
    EXPECT_TRUE(log.Logged(log::Category::Readers, {"bad.jpg", "not a picture"}));

    fs::path cached;
    for (int i = 0; i < cache.Count(); ++i) cached = CacheDir() + "/" + cache.Item(i)->ImageFile;
    WriteFile(cached.string(), {'j', 'u', 'n', 'k'});
    RecordingView second;
    Scan(second);
    EXPECT_TRUE(log.Logged(log::Category::Cache, {cached.filename().string()}));

    fs::remove_all(CacheDir());
    RecordingView third;
    Scan(third, 1);  // reloading decodes again, and storing the thumbnail fails
    EXPECT_TRUE(log.Logged(log::Category::Cache, {"good.jpg", "not cached"}));

    FailingEntries failing(Picture("good.jpg"));
    RecordingView fourth;
    {
        MScanIcon scanner(fourth, nullptr, 0);
        scanner.Start(&failing, kBoxWidth, kBoxHeight);
    }
    EXPECT_TRUE(log.Logged(log::Category::Scanner, {"entry 0", "entry gone"}));
    EXPECT_TRUE(log.Logged(log::Category::Scanner, {"entry 1", "not stored"}));
}

}  // namespace
}  // namespace pixelary
