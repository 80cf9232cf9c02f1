// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/MScanIcon.h"

#include <unistd.h>

#include <algorithm>
#include <optional>

#include "cache/MCacheFile.h"
#include "cache/UniqueName.h"
#include "core/Cancel.h"
#include "core/DosDateTime.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "model/MExplorerItem.h"
#include "readers/Rwimage.h"
#include "scanner/FileThumbnail.h"

namespace pixelary {
namespace {

constexpr std::size_t kFormatKeyLength = 3;
constexpr int kProgressDone = -1;
constexpr std::int64_t kPercent = 100;

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

void MScanIcon::Execute() {
    if (ScanFolder == nullptr || EntryCount <= 0) return;
    Index = 0;
    while (!Terminated() && Index < EntryCount) {
        Synchronize([this] { FetchEntry(); });
        if (!EntryPath.empty() && MakeThumbnail()) Synchronize([this] { StoreThumbnail(); });
        ++Index;
        Synchronize([this] { ReportProgress(); });
    }
    Synchronize([this] { ReportDone(); });
}

// ---- main-thread steps ----

void MScanIcon::FetchEntry() {
    EntryPath.clear();
    EntrySize = 0;
    EntryDate = 0;
    EntryValid = 0;
    if (Terminated() || ScanFolder == nullptr) return;
    std::optional<EntrySnapshot> entry;
    try {
        entry = ScanFolder->FileEntry(Index);
    } catch (const std::exception&) {
        return;  // an entry that cannot be read keeps its icon; the scan goes on
    }
    if (!entry) return;
    EntryPath = entry->Path;
    EntrySize = entry->Size;
    EntryDate = entry->Date;
    EntryValid = 1;
}

void MScanIcon::StoreThumbnail() {
    if (Terminated() || WorkBitmap.IsEmpty() || ScanFolder == nullptr) return;
    try {
        ScanFolder->SetLargeImage(Index, WorkBitmap);
    } catch (const std::exception&) {
        return;  // the entry keeps its icon
    }
    view_.InvalidateItem(Index);
}

void MScanIcon::ReportProgress() {
    if (Terminated() || EntryCount <= 0) return;
    view_.SetProgress(static_cast<int>(std::int64_t{Index} * kPercent / EntryCount));
}

void MScanIcon::ReportDone() {
    view_.SetProgress(kProgressDone);
}

// ---- worker steps ----

bool MScanIcon::MakeThumbnail() {
    if (EntryPath.size() < kFormatKeyLength + 1 || Terminated()) return false;
    try {
        return MakeThumbnailUnguarded();
    } catch (const std::exception&) {
        // Any failure, not only the program's own errors, costs this entry its thumbnail and
        // nothing more: the scan goes on with the next entry.
        WorkBitmap = Dib();
        return false;
    }
}

bool MScanIcon::MakeThumbnailUnguarded() {
    const std::string key = FormatKey(EntryPath);
    WorkBitmap = Dib();
    if (ThumbnailKindOf(key) == ThumbnailKind::None) return false;
    const bool from_cache = CacheLookup();
    if (!from_cache) {
        // A stop request ends a long decode early instead of waiting for it.
        const CancelScope cancel([this] { return Terminated(); });
        WorkBitmap = MakeFileThumbnail(EntryPath, key, BoxWidth, BoxHeight);
    }
    if (WorkBitmap.IsEmpty()) return false;
    if (from_cache) {
        ++CacheHits;
    } else {
        ++ThumbnailsMade;
        CacheStore();
    }
    return true;
}

// Finds the record of the snapshot as one step under the cache's lock: the first record with
// the path whose size and date match. With ReloadImages the record is dropped instead.
bool MScanIcon::FindCachedImage(std::string& imagePath) {
    auto lock = Cache->Lock();
    for (int pos = Cache->IndexOf(EntryPath, 0); pos >= 0;
         pos = Cache->IndexOf(EntryPath, pos + 1)) {
        MCacheFile* record = Cache->Item(pos);
        if (!record->Matches(EntryPath, EntrySize, EntryDate)) continue;
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
    if (Terminated() || EntryValid == 0 || Cache == nullptr) return false;
    std::string image_path;
    if (!FindCachedImage(image_path)) return false;
    try {
        WorkBitmap = Dib::LoadFromFile(image_path);
    } catch (const Exception&) {
        WorkBitmap = Dib();  // a hit without a readable image: the entry keeps its icon
    }
    return true;
}

void MScanIcon::CacheStore() {
    if (Terminated() || Cache == nullptr) return;
    auto record = std::make_unique<MCacheFile>();
    record->SourcePath = EntryPath;
    record->SourceSize = EntrySize;
    record->SourceDate = EntryDate;
    record->LastUsed = dosdate::Now();
    // The file is made and indexed under the lock, so a directory changed meanwhile by the
    // options never receives a thumbnail that its index does not name.
    auto lock = Cache->Lock();
    std::string path;
    try {
        path = CreateUniqueTempFile(Cache->Directory(), MCacheFileManager::kImageFilePrefix);
        record->ImageFile = path.substr(path.rfind('/') + 1);
        WorkBitmap.SaveToFile(path);
    } catch (const Exception& error) {
        // No record; a part-written file would only take room that is already short.
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
