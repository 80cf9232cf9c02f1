// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "model/MItem.h"

namespace pixelary {

// One index record: which picture (path, size, date) a thumbnail file in the cache belongs to.
class MCacheFile : public MItem {
  public:
    std::string SourcePath;       // full path of the picture
    std::int32_t SourceSize = 0;  // the picture's size in bytes when the thumbnail was made
    std::int32_t SourceDate = 0;  // the picture's DOS date-time stamp then
    std::string ImageFile;        // file name of the thumbnail, without directory
    std::int32_t LastUsed = 0;    // DOS date-time stamp of the store or the last hit
    std::uint8_t Present = 0;     // 1 when the last Refresh found the image file
    std::int32_t SizeKB = 0;      // size of the image file in KB, rounded up; 0 when absent

    // Looks for directory + ImageFile and sets Present and SizeKB. A name that is not a plain
    // file name (empty, ".", "..", or holding "/") never counts as present, so a hostile index
    // cannot reach files outside the cache directory.
    void Refresh(const std::string& directory);

    bool Matches(const std::string& path, std::int32_t size, std::int32_t date) const {
        return SourcePath == path && SourceSize == size && SourceDate == date;
    }
};

// The thumbnail cache index: records kept in path order, held under a size limit by evicting the
// least recently used thumbnails, loaded from and saved to "Pixelary.cac" in the cache directory.
// Every operation is atomic: the scanner thread and the main thread share one manager.
class MCacheFileManager : protected MItemList {
  public:
    static constexpr const char* kIndexFileName = "Pixelary.cac";
    static constexpr const char* kSignature = "MCache10";  // stored with its NUL: 9 bytes
    static constexpr std::size_t kSignatureSize = 9;
    // Thumbnail files are named by CreateUniqueTempFile with this prefix.
    static constexpr const char* kImageFilePrefix = "PX";

    MCacheFileManager() = default;
    ~MCacheFileManager() override;

    // Holds the manager's lock across a sequence of calls (the lock is recursive).
    std::unique_lock<std::recursive_mutex> Lock() const;

    // Directory = path when it names an existing directory and does not end in "/" (so "/"
    // itself is refused), else the temporary directory; a "/" is then appended. Records and
    // files are left as they are.
    void SetDirectory(const std::string& path);
    std::string Directory() const;
    // LimitKB = kb when above 0, else 1. Nothing is evicted until the next Add.
    void SetLimit(std::int32_t kb);
    std::int32_t LimitKB() const;
    std::int64_t UsedKB() const;
    // Switching on sorts the records by SourcePath.
    void SetSorted(bool sorted);
    bool Sorted() const;

    // A thumbnail or the index could not be written into Directory (read-only folder, full
    // disk): the first such failure is kept until taken, so the user is told once.
    void NoteWriteFailure(const std::string& message);
    std::optional<std::string> TakeWriteFailure();

    // Grows with every record added, deleted or cleared (not with last-use stamps), so a
    // writer can tell whether the index changed since it last wrote it.
    std::uint64_t Revision() const;

    int Count() const;
    // Record at position i, or nullptr. The record stays valid until it is deleted or evicted.
    MCacheFile* Item(int i) const;
    // Position of the first record at or after start (negative counts as 0) whose SourcePath is
    // identical to path, or -1.
    int IndexOf(const std::string& path, int start) const;
    // Position of the first record whose ImageFile equals name, or -1.
    int IndexOfImageFile(const std::string& name) const;

    // Takes the record; drops it when its image file is absent, else inserts it in path order
    // (before an equal path), counts its size and evicts.
    void Add(std::unique_ptr<MCacheFile> record);
    // Destroys the record at i; its image file is not touched.
    void Delete(int i);
    void Clear();
    // Deletes least recently used thumbnails (files and records) until UsedKB is below LimitKB.
    void Evict();

    // Reads the index from Directory. A wrong signature or a missing count is an empty index;
    // a record cut short (or a stored length that does not fit the rest of the file) ends
    // loading with EReadError, keeping the records before it. Sweeps after a complete load,
    // and when there is no index at all (the records in memory are kept).
    void Load();
    // Writes the index into Directory: a new file renamed over the old one, so a failure leaves
    // the previous index intact. Raises EFCreateError when the file cannot be written.
    void Save() const;
    // Deletes every thumbnail file ("PX", four hexadecimal digits, ".TMP") of Directory that no
    // record names, and new index files that programs no longer running left behind.
    void Sweep();

  private:
    int FirstMatchFrom(int found, int start) const;
    int HalvingIndexOf(const std::string& path, int start) const;
    int LinearIndexOf(const std::string& path, int start) const;
    int InsertPosition(const std::string& path) const;
    void InsertAt(int pos, std::unique_ptr<MCacheFile> record);
    void DeleteAt(int i);
    void ClearAll();
    int OldestRecord() const;
    void EvictLocked();
    void ReadRecords(class Stream& in);
    std::vector<std::uint8_t> IndexBytes() const;
    void RebuildPositions();

    mutable std::recursive_mutex mutex_;
    bool sorted_ = false;
    std::string directory_;
    std::int32_t limit_kb_ = 1;
    std::int64_t used_kb_ = 0;
    std::uint64_t revision_ = 0;
    std::optional<std::string> write_failure_;
    // Position -> record, mirroring the chain so halving needs no walks.
    std::vector<MCacheFile*> positions_;
};

}  // namespace pixelary
