// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/MScanIcon.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "cache/MCacheFile.h"
#include "cache/ThumbnailFile.h"
#include "cache/UniqueName.h"
#include "core/Cancel.h"
#include "core/DosDateTime.h"
#include "core/Exception.h"
#include "core/Log.h"
#include "core/Stream.h"
#include "model/MExplorerItem.h"
#include "readers/Orientation.h"
#include "readers/Rwimage.h"
#include "scanner/FileThumbnail.h"

namespace pixelary {
namespace {

constexpr std::size_t kFormatKeyLength = 3;
constexpr int kProgressDone = -1;
constexpr std::int64_t kPercent = 100;
constexpr std::size_t kJobsPerThread = 3;
// How long the scanner thread waits for a decode before it looks at its terminate flag and at
// the entries in view again.
constexpr std::chrono::milliseconds kReadyWait(10);

}  // namespace

std::string FormatKey(const std::string& path) {
    return FormatKeyOfPath(path);
}

MScanIcon::MScanIcon(ScanView& view, MCacheFileManager* cache, std::uint8_t reloadImages,
                     HandOver& handOver)
    : WorkerThread(handOver), ReloadImages(reloadImages), Cache(cache), view_(view) {}

MScanIcon::~MScanIcon() {
    WaitFor();
}

void MScanIcon::Start(ScanEntries* folder, std::int32_t boxWidth, std::int32_t boxHeight) {
    if (Started()) return;  // a scanner runs once; the fields belong to the worker now
    BoxWidth = boxWidth;
    BoxHeight = boxHeight;
    ScanFolder = folder;
    EntryCount = folder != nullptr ? folder->ChildCount() : 0;
    Resume();
}

void MScanIcon::Start(MExplorerItem* folder, std::int32_t boxWidth, std::int32_t boxHeight) {
    if (Started()) return;
    if (folder != nullptr) explorer_entries_ = std::make_unique<ExplorerScanEntries>(*folder);
    Start(explorer_entries_.get(), boxWidth, boxHeight);
}

void MScanIcon::SetVisibleRange(int first, int count) {
    std::lock_guard lock(visible_mutex_);
    visible_request_ = std::make_pair(first, count);
}

void MScanIcon::Execute() {
    if (ScanFolder == nullptr || EntryCount <= 0) return;
    ScanOrder order(EntryCount);
    // Declared before the pool, so the pool (and its threads) end before the jobs they hold.
    std::deque<std::unique_ptr<ScanJob>> pending;  // in the order given out
    DecodePool pool(DecodeThreads, [this](ScanJob& job) { MakeJobThumbnail(job); });
    // Enough jobs ahead to keep every thread busy, few enough that a scroll takes effect soon.
    const std::size_t window = static_cast<std::size_t>(pool.ThreadCount()) * kJobsPerThread;
    int done = 0;
    while (!Terminated() && done < EntryCount) {
        Dispatch(order, pool, pending, window);
        JobList ready = TakeReady(pool, pending);
        Deliver(ready, done);
    }
    pool.Stop();
    Synchronize([this] { ReportDone(); });
}

// Gives out the next entries, the requested ones in view first: their snapshots are taken in
// one hand-over, the files among them go to the pool.
void MScanIcon::Dispatch(ScanOrder& order, DecodePool& pool,
                         std::deque<std::unique_ptr<ScanJob>>& pending, std::size_t window) {
    {
        std::lock_guard lock(visible_mutex_);
        if (visible_request_) order.Prefer(visible_request_->first, visible_request_->second);
        visible_request_.reset();
    }
    JobList jobs;
    while (pending.size() + jobs.size() < window) {
        const int index = order.Next();
        if (index < 0) break;
        jobs.push_back(std::make_unique<ScanJob>());
        jobs.back()->Index = index;
    }
    if (jobs.empty()) return;
    Synchronize([&] {
        for (auto& job : jobs) {
            std::optional<EntrySnapshot> entry = FetchSnapshot(job->Index);
            if (!entry) continue;
            job->Entry = std::move(*entry);
            job->Valid = true;
        }
    });
    for (auto& job : jobs) {
        job->NeedsDecode = job->Valid && job->Entry.Path.size() >= kFormatKeyLength + 1 &&
                           ThumbnailKindOf(FormatKey(job->Entry.Path)) != ThumbnailKind::None;
        if (job->NeedsDecode) pool.Submit(job.get());
        pending.push_back(std::move(job));
    }
}

// The jobs at the front of the line that are finished; waits a little for the first one.
MScanIcon::JobList MScanIcon::TakeReady(DecodePool& pool,
                                        std::deque<std::unique_ptr<ScanJob>>& pending) {
    JobList ready;
    auto wait = kReadyWait;
    while (!pending.empty()) {
        ScanJob* front = pending.front().get();
        if (front->NeedsDecode && !pool.WaitReady(front, wait)) break;
        ready.push_back(std::move(pending.front()));
        pending.pop_front();
        wait = std::chrono::milliseconds(0);  // the rest only when already finished
    }
    return ready;
}

// Hands the finished jobs over in order. A thumbnail new to the cache is stored there just
// before its own hand-over, as a single-threaded scan would, so a scan stopped at an entry has
// cached exactly the thumbnails it handed over (and the one in hand).
void MScanIcon::Deliver(JobList& ready, int& done) {
    JobList batch;
    for (auto& job : ready) {
        if (!job->Bitmap.IsEmpty() && !job->FromCache) {
            HandOverBatch(batch, done);
            if (Terminated()) return;
            StoreInCache(job->Entry, job->Bitmap);
        }
        batch.push_back(std::move(job));
    }
    HandOverBatch(batch, done);
}

void MScanIcon::HandOverBatch(JobList& batch, int& done) {
    if (batch.empty()) return;
    for (const auto& job : batch) {
        if (job->Bitmap.IsEmpty()) continue;
        ++(job->FromCache ? CacheHits : ThumbnailsMade);
    }
    Synchronize([&] {
        for (const auto& job : batch) {
            StoreThumbnailAt(job->Index, job->Bitmap);
            ReportProgressOf(++done);
        }
    });
    batch.clear();
}

// ---- main-thread steps ----

void MScanIcon::FetchEntry() {
    EntryPath.clear();
    EntrySize = 0;
    EntryDate = 0;
    EntryValid = 0;
    std::optional<EntrySnapshot> entry = FetchSnapshot(Index);
    if (!entry) return;
    EntryPath = std::move(entry->Path);
    EntrySize = entry->Size;
    EntryDate = entry->Date;
    EntryValid = 1;
}

std::optional<EntrySnapshot> MScanIcon::FetchSnapshot(int index) {
    if (Terminated() || ScanFolder == nullptr) return std::nullopt;
    try {
        return ScanFolder->FileEntry(index);
    } catch (const std::exception& error) {
        // an entry that cannot be read keeps its icon; the scan goes on
        log::Debug(log::Category::Scanner,
                   "entry " + std::to_string(index) + " unreadable: " + error.what());
        return std::nullopt;
    }
}

void MScanIcon::StoreThumbnail() {
    StoreThumbnailAt(Index, WorkBitmap);
}

void MScanIcon::StoreThumbnailAt(int index, const Dib& thumbnail) {
    if (Terminated() || thumbnail.IsEmpty() || ScanFolder == nullptr) return;
    try {
        ScanFolder->SetLargeImage(index, thumbnail);
    } catch (const std::exception& error) {
        log::Debug(log::Category::Scanner,
                   "thumbnail of entry " + std::to_string(index) + " not stored: " + error.what());
        return;  // the entry keeps its icon
    }
    view_.InvalidateItem(index);
}

void MScanIcon::ReportProgress() {
    ReportProgressOf(Index);
}

void MScanIcon::ReportProgressOf(int done) {
    if (Terminated() || EntryCount <= 0) return;
    view_.SetProgress(static_cast<int>(std::int64_t{done} * kPercent / EntryCount));
}

void MScanIcon::ReportDone() {
    view_.SetProgress(kProgressDone);
}

// ---- worker steps ----

bool MScanIcon::MakeThumbnail() {
    if (EntryPath.size() < kFormatKeyLength + 1 || Terminated()) return false;
    ScanJob job;
    job.Index = Index;
    job.Entry = EntrySnapshot{EntryPath, EntrySize, EntryDate};
    job.Valid = EntryValid != 0;
    const bool made = MakeJobThumbnail(job);
    WorkBitmap = std::move(job.Bitmap);
    if (!made) return false;
    if (job.FromCache) {
        ++CacheHits;
    } else {
        ++ThumbnailsMade;
        CacheStore();
    }
    return true;
}

// Takes the thumbnail from the cache or decodes it; runs on the decoding threads.
bool MScanIcon::MakeJobThumbnail(ScanJob& job) {
    job.Bitmap = Dib();
    job.FromCache = false;
    if (job.Entry.Path.size() < kFormatKeyLength + 1 || Terminated()) return false;
    try {
        const std::string key = FormatKey(job.Entry.Path);
        if (ThumbnailKindOf(key) == ThumbnailKind::None) return false;
        job.FromCache = LookupCached(job);
        if (!job.FromCache) {
            // A stop request ends a long decode early instead of waiting for it.
            const CancelScope cancel([this] { return Terminated(); });
            job.Bitmap = MakeFileThumbnail(job.Entry.Path, key, BoxWidth, BoxHeight);
        }
    } catch (const std::exception& error) {
        // Any failure, not only the program's own errors, costs this entry its thumbnail and
        // nothing more: the scan goes on with the next entry.
        log::Debug(log::Category::Scanner, job.Entry.Path + ": no thumbnail: " + error.what());
        job.Bitmap = Dib();
        return false;
    }
    return !job.Bitmap.IsEmpty();
}

// Finds the record of the snapshot as one step under the cache's lock: the first record with
// the path whose size and date match. With ReloadImages the record is dropped instead.
bool MScanIcon::FindCachedImage(const EntrySnapshot& entry, std::string& imagePath) {
    auto lock = Cache->Lock();
    for (int pos = Cache->IndexOf(entry.Path, 0); pos >= 0;
         pos = Cache->IndexOf(entry.Path, pos + 1)) {
        MCacheFile* record = Cache->Item(pos);
        if (!record->Matches(entry.Path, entry.Size, entry.Date)) continue;
        if (ReloadImages != 0) {
            Cache->Delete(pos);  // its file goes at the next sweep
            return false;
        }
        record->LastUsed = dosdate::Now();
        imagePath = Cache->Directory() + record->ImageFile;
        return true;
    }
    return false;
}

bool MScanIcon::CacheLookup() {
    ScanJob job;
    job.Entry = EntrySnapshot{EntryPath, EntrySize, EntryDate};
    job.Valid = EntryValid != 0;
    const bool hit = LookupCached(job);
    if (hit) WorkBitmap = std::move(job.Bitmap);
    return hit;
}

bool MScanIcon::LookupCached(ScanJob& job) {
    if (Terminated() || !job.Valid || Cache == nullptr) return false;
    std::string image_path;
    if (!FindCachedImage(job.Entry, image_path)) return false;
    try {
        ThumbnailFile cached = LoadThumbnailFile(image_path);
        // A photograph's thumbnail from before orientation tags were honoured may lie on its
        // side: it is made again.
        if (!cached.Upright && HonoursOrientation(FormatKey(job.Entry.Path))) {
            DropStaleRecord(image_path);
            return false;
        }
        job.Bitmap = std::move(cached.Bitmap);
    } catch (const Exception& error) {
        log::Debug(log::Category::Cache,
                   image_path + ": cached thumbnail unreadable: " + error.what());
        job.Bitmap = Dib();  // a hit without a readable image: the entry keeps its icon
    }
    return true;
}

void MScanIcon::DropStaleRecord(const std::string& imagePath) {
    auto lock = Cache->Lock();
    const std::string directory = Cache->Directory();
    if (imagePath.compare(0, directory.size(), directory) != 0) return;  // directory changed
    const int pos = Cache->IndexOfImageFile(imagePath.substr(directory.size()));
    if (pos < 0) return;
    Cache->Delete(pos);
    ::unlink(imagePath.c_str());
}

void MScanIcon::CacheStore() {
    StoreInCache(EntrySnapshot{EntryPath, EntrySize, EntryDate}, WorkBitmap);
}

void MScanIcon::StoreInCache(const EntrySnapshot& entry, const Dib& thumbnail) {
    if (Terminated() || Cache == nullptr) return;
    auto record = std::make_unique<MCacheFile>();
    record->SourcePath = entry.Path;
    record->SourceSize = entry.Size;
    record->SourceDate = entry.Date;
    record->LastUsed = dosdate::Now();
    // The file is made and indexed under the lock, so a directory changed meanwhile by the
    // options never receives a thumbnail that its index does not name.
    auto lock = Cache->Lock();
    std::string path;
    try {
        path = CreateUniqueTempFile(Cache->Directory(), MCacheFileManager::kImageFilePrefix);
        record->ImageFile = path.substr(path.rfind('/') + 1);
        SaveThumbnailFile(thumbnail, path);
    } catch (const Exception& error) {
        // No record; a part-written file would only take room that is already short.
        log::Debug(log::Category::Cache,
                   entry.Path + ": thumbnail not cached: " + std::string(error.what()));
        if (!path.empty()) ::unlink(path.c_str());
        Cache->NoteWriteFailure(error.what());
        return;
    }
    Cache->Add(std::move(record));
}

void MScanIcon::ReadEmbeddedPreview() {
    WorkBitmap = ReadEmbeddedPreviewBitmap(EntryPath);
}

}  // namespace pixelary
