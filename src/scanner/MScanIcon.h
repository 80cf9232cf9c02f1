// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Dib.h"
#include "scanner/DecodePool.h"
#include "scanner/ScanEntries.h"
#include "scanner/WorkerThread.h"

namespace pixelary {

class MCacheFileManager;
class MExplorerItem;

// The background worker that turns the file entries of the shown folder into thumbnails, taken
// from the thumbnail cache or decoded at thumbnail size, each entry once: in order, except that
// the entries in view go first. A pool of decoding threads works ahead; the scanner thread alone
// talks to the main thread, handing the thumbnails over in the order it gave the entries out.
// Entries and the view are touched only on the main thread, through the hand-over.
class MScanIcon : public WorkerThread {
  public:
    // Created suspended; Start runs it. cache may be null (no cache).
    MScanIcon(ScanView& view, MCacheFileManager* cache, std::uint8_t reloadImages,
              HandOver& handOver = HandOver::Main());
    // Waits for the thread (serving its pending hand-over calls). Set the terminate flag first
    // to stop a running scan within one entry.
    ~MScanIcon() override;

    // Main thread: stores the box and the folder, counts its entries and starts the thread.
    // Only the first call does anything.
    void Start(ScanEntries* folder, std::int32_t boxWidth, std::int32_t boxHeight);
    void Start(MExplorerItem* folder, std::int32_t boxWidth, std::int32_t boxHeight);

    // Main thread: the entries [first, first + count) are in view; those not yet given out are
    // scanned next. Any later call replaces the earlier range.
    void SetVisibleRange(int first, int count);
    // Decoding threads the scan uses; set before Start (default DecodeThreadCount()).
    int DecodeThreads = DecodeThreadCount();

    // The steps of the thread body, public so that each can be exercised on its own.
    // Main thread (through the hand-over):
    void FetchEntry();
    void StoreThumbnail();
    void ReportProgress();
    void ReportDone();
    // Worker:
    bool MakeThumbnail();
    bool CacheLookup();
    void CacheStore();
    void ReadEmbeddedPreview();

    std::uint8_t ReloadImages = 0;
    MCacheFileManager* Cache = nullptr;
    ScanEntries* ScanFolder = nullptr;
    std::int32_t BoxWidth = 1;
    std::int32_t BoxHeight = 1;
    std::int32_t EntryCount = 0;
    std::int32_t Index = 0;
    Dib WorkBitmap;
    std::string EntryPath;
    std::int32_t EntrySize = 0;
    std::int32_t EntryDate = 0;
    std::uint8_t EntryValid = 0;

    // Worker's tallies, to be read once the thread has ended: thumbnails decoded (or read from a
    // preview) and thumbnails taken from the cache.
    int ThumbnailsMade = 0;
    int CacheHits = 0;

  protected:
    void Execute() override;

  private:
    using JobList = std::vector<std::unique_ptr<ScanJob>>;

    // Scanner thread.
    void Dispatch(ScanOrder& order, DecodePool& pool, std::deque<std::unique_ptr<ScanJob>>& pending,
                  std::size_t window);
    JobList TakeReady(DecodePool& pool, std::deque<std::unique_ptr<ScanJob>>& pending);
    void Deliver(JobList& ready, int& done);
    void HandOverBatch(JobList& batch, int& done);
    // Main thread.
    std::optional<EntrySnapshot> FetchSnapshot(int index);
    void StoreThumbnailAt(int index, const Dib& thumbnail);
    void ReportProgressOf(int done);
    // Decoding threads (and the single-entry steps).
    bool MakeJobThumbnail(ScanJob& job);
    bool LookupCached(ScanJob& job);
    bool FindCachedImage(const EntrySnapshot& entry, std::string& imagePath);
    void DropStaleRecord(const std::string& imagePath);
    void StoreInCache(const EntrySnapshot& entry, const Dib& thumbnail);

    std::mutex visible_mutex_;
    std::optional<std::pair<int, int>> visible_request_;  // first, count; taken by the scanner

    ScanView& view_;
    std::unique_ptr<ScanEntries> explorer_entries_;
};

// The scanner's format key of a path (FormatKeyOfPath): its last three bytes, lower-cased,
// whatever precedes them ("photojpg" gives "jpg"), or the key of a longer picture extension
// ("photo.jpeg" gives "jpg"); empty for paths shorter than four bytes.
std::string FormatKey(const std::string& path);

}  // namespace pixelary
