// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Dib.h"
#include "scanner/ScanEntries.h"
#include "scanner/WorkerThread.h"

namespace pixelary {

class MCacheFileManager;
class MExplorerItem;

// The background worker that turns the file entries of the shown folder into thumbnails, taken
// from the thumbnail cache or decoded at thumbnail size, walking the entries once in order.
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
    bool MakeThumbnailUnguarded();
    bool FindCachedImage(std::string& imagePath);

    ScanView& view_;
    std::unique_ptr<ScanEntries> explorer_entries_;
};

// The scanner's format key of a path (FormatKeyOfPath): its last three bytes, lower-cased,
// whatever precedes them ("photojpg" gives "jpg"), or the key of a longer picture extension
// ("photo.jpeg" gives "jpg"); empty for paths shorter than four bytes.
std::string FormatKey(const std::string& path);

}  // namespace pixelary
