// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/MScanIcon.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "cache/MCacheFile.h"
#include "cache/UniqueName.h"
#include "core/DosDateTime.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "model/MExplorerItem.h"
#include "readers/Rwimage.h"
#include "readers/ThumbnailSize.h"

namespace pixelary {
namespace {

constexpr std::size_t kFormatKeyLength = 3;
constexpr const char* kPreviewDocumentKey = "osp";
constexpr int kProgressDone = -1;
constexpr std::int64_t kPercent = 100;
// Depth of a thumbnail whose reader reports a depth a bitmap cannot have.
// A preview is a small picture; a longer length field is a damaged document.
constexpr std::uint32_t kMaxPreviewBytes = 64u << 20;

// Header of a document with an embedded preview ("osp"), all integers little-endian:
//   +0   2  "QX"
//   +2  32  NUL-terminated "ObjManager"
//   +34  2  0
//   +36  2  1
//   +38  4  length n of the preview
//   +42  n  the preview, a complete BMP file
struct PreviewHeader {
    static constexpr std::size_t kSize = 38;
    static constexpr std::size_t kNameOffset = 2;
    static constexpr std::size_t kNameSize = 32;
    static constexpr std::size_t kZeroOffset = 34;
    static constexpr std::size_t kOneOffset = 36;
};

std::uint16_t U16At(const std::uint8_t* bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

bool IsPreviewHeader(const std::uint8_t* header) {
    if (header[0] != 'Q' || header[1] != 'X') return false;
    const char* name = reinterpret_cast<const char*>(header + PreviewHeader::kNameOffset);
    const std::size_t length = strnlen(name, PreviewHeader::kNameSize);
    return std::string_view(name, length) == "ObjManager" &&
           U16At(header, PreviewHeader::kZeroOffset) == 0 &&
           U16At(header, PreviewHeader::kOneOffset) == 1;
}

}  // namespace

std::string FormatKey(const std::string& path) {
    if (path.size() < kFormatKeyLength + 1) return {};
    std::string key = path.substr(path.size() - kFormatKeyLength);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
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
    bool from_cache = false;
    if (IsImageFileExt(key)) {
        from_cache = CacheLookup();
        if (!from_cache) {
            if (auto reader = CreateDiskImage(EntryPath, key)) Decode(*reader);
        }
    } else if (key == kPreviewDocumentKey) {
        from_cache = CacheLookup();
        if (!from_cache) ReadEmbeddedPreview();
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

void MScanIcon::Decode(MDiskImage& reader) {
    const ThumbnailExtent size =
        ThumbnailSize(reader.GetWidth(), reader.GetHeight(), BoxWidth, BoxHeight);
    WorkBitmap = StretchWholePicture(reader, size.Width, size.Height);
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
    try {
        const std::string path =
            CreateUniqueTempFile(Cache->Directory(), MCacheFileManager::kImageFilePrefix);
        record->ImageFile = path.substr(path.rfind('/') + 1);
        WorkBitmap.SaveToFile(path);
    } catch (const Exception&) {
        return;  // no record; an empty file goes at the next sweep
    }
    Cache->Add(std::move(record));
}

void MScanIcon::ReadEmbeddedPreview() {
    FileStream file(EntryPath, FileMode::OpenRead);
    std::uint8_t header[PreviewHeader::kSize];
    if (file.Read(header, sizeof header) != sizeof header || !IsPreviewHeader(header)) return;
    const std::uint32_t length = file.ReadU32LE();
    if (length > kMaxPreviewBytes || length > static_cast<std::uint64_t>(file.Remaining())) {
        throw EReadError();
    }
    MemoryStream preview;
    preview.CopyFrom(file, length);
    preview.SetPosition(0);
    WorkBitmap = Dib::LoadFromStream(preview);
}

}  // namespace pixelary
