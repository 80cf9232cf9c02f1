// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Dib.h"

namespace pixelary {

class MExplorerItem;

// Path, size and date of a file entry, copied out on the main thread for the worker.
struct EntrySnapshot {
    std::string Path;  // the full path (parsing name)
    std::int32_t Size = 0;
    std::int32_t Date = 0;  // DOS date-time stamp
};

// The folder a scanner walks, reached by position. Used on the main thread only.
class ScanEntries {
  public:
    virtual ~ScanEntries() = default;
    virtual int ChildCount() = 0;
    // The snapshot of the entry at index when it is a file; none for folders, virtual items and
    // positions past the end.
    virtual std::optional<EntrySnapshot> FileEntry(int index) = 0;
    // Replaces the entry's large image (its shell icon until now) with the thumbnail.
    virtual void SetLargeImage(int index, const Dib& thumbnail) = 0;
};

// The view the scanner reports to, on the main thread: the cell of an entry changed, and the
// progress in percent (-1 when the scan is over).
class ScanView {
  public:
    virtual ~ScanView() = default;
    virtual void InvalidateItem(int index) = 0;
    virtual void SetProgress(int value) = 0;
};

// The shown folder of the folder model as a scanner sees it.
class ExplorerScanEntries : public ScanEntries {
  public:
    explicit ExplorerScanEntries(MExplorerItem& folder) : folder_(folder) {}
    int ChildCount() override;
    std::optional<EntrySnapshot> FileEntry(int index) override;
    void SetLargeImage(int index, const Dib& thumbnail) override;

  private:
    MExplorerItem& folder_;
};

// A file-system folder listed directly, for tools that run without the shell namespace:
// visible folders first, then files, each in name order. Thumbnails are kept in memory.
class DirectoryScanEntries : public ScanEntries {
  public:
    explicit DirectoryScanEntries(const std::string& directory);
    int ChildCount() override { return static_cast<int>(entries_.size()); }
    std::optional<EntrySnapshot> FileEntry(int index) override;
    void SetLargeImage(int index, const Dib& thumbnail) override;

    const Dib& LargeImage(int index) const { return entries_.at(index).image; }

  private:
    struct Entry {
        EntrySnapshot snapshot;
        bool is_file = false;
        Dib image;
    };
    std::vector<Entry> entries_;
};

}  // namespace pixelary
