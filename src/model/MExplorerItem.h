// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/Stream.h"
#include "core/Text.h"
#include "model/MShellItem.h"

namespace pixelary {

class Dib;

// Sort keys of a folder's entries.
enum MSortKey : std::int32_t { kSortByName = 0, kSortByExt = 1, kSortBySize = 2, kSortByDate = 3 };

// A path cut into directory (with its final "/"), name and extension (with its ".").
struct MSplitPath {
    std::string Directory;
    std::string Name;
    std::string Ext;
};

// The extension is the last "." of the last path component and what follows it, unless that
// "." starts the component or ends the path; a UTF-8 code point counts as one character.
MSplitPath SplitPath(std::string_view path);

// A folder entry: the shown folder and each entry in it. Keeps the facts the view needs (name,
// extension, date, size, file flag, icons, selection), each made on first request.
class MExplorerItem : public MShellItem {
  public:
    MExplorerItem(shell::FolderPtr folder, shell::IdList list);
    explicit MExplorerItem(int specialFolder);
    explicit MExplorerItem(const std::string& path);

    // Enumerates MExplorerItem children and sorts them by SortKey and Ascending.
    void Fill(std::uint32_t flags) override;
    MExplorerItem* GetChild(int index);

    // Reads name, extension, date, size and file flag again.
    void RefreshInfo();
    const std::string& GetName();
    const std::string& GetExt();
    std::int32_t GetFileDate();
    std::int32_t GetFileSize();
    bool GetIsFile();
    // The shell's type description; not cached.
    std::string GetTypeName() const;

    // BMP file images of the shell icons, made on first request; positioned at 0. Owned by the
    // entry.
    MemoryStream& GetSmallIconStream();
    MemoryStream& GetLargeImageStream();
    // Replaces the large image (the shell icon) by a picture, such as a thumbnail.
    void SetLargeImage(const Dib& picture);
    // Changes whenever the large image stream is made or replaced, and no two streams of any
    // entries share one (0 before the stream exists), so a view may keep the decoded picture
    // as long as the stamp stays.
    std::uint64_t LargeImageStamp() const { return large_image_stamp_; }

    // Renames the entry unless name is empty or its current display name; reads its facts again
    // either way. True when the shell renamed it.
    bool SetName(const std::string& name);

    // Ignored for a key outside 0..3 or the current one; re-sorts existing children.
    void SetSortKey(std::int32_t key);
    // Ignored when unchanged; re-sorts existing children.
    void SetAscending(bool ascending);
    std::int32_t SortKey() const { return sort_key_; }
    bool Ascending() const { return ascending_; }

    // Folders before everything else whatever the order, then by key; negated when descending.
    static int Compare(MExplorerItem& a, MExplorerItem& b, std::int32_t key, bool ascending);

    std::string Comment;
    bool Selected = false;

  private:
    // Compare on the facts and collation keys each entry keeps: the folder bit of the
    // attributes RefreshInfo asked for, so a sort asks the shell once per entry.
    static int CompareKept(const MExplorerItem& a, const MExplorerItem& b, std::int32_t key,
                           bool ascending);
    // Reads the facts when missing and makes the collation keys of name and extension.
    void PrepareForSort();
    void SortChildren();
    MemoryStream& IconStream(std::unique_ptr<MemoryStream>& stream, shell::IconSize size);
    void EnsureInfo();

    std::unique_ptr<MemoryStream> small_icon_stream_;
    std::unique_ptr<MemoryStream> large_image_stream_;
    std::uint64_t large_image_stamp_ = 0;
    std::int32_t sort_key_ = kSortByName;
    bool ascending_ = true;
    std::string name_;
    std::string ext_;
    std::int32_t file_date_ = 0;
    std::int32_t file_size_ = 0;
    bool is_file_ = false;
    bool is_folder_ = false;
    std::unique_ptr<text::CollationKey> name_key_;  // made by PrepareForSort, dropped by
    std::unique_ptr<text::CollationKey> ext_key_;   // RefreshInfo
};

// Selection commands over a folder's entries.
void SelectAll(MExplorerItem& folder);
// Marks the entries whose lower-cased extension passes isPicture (given the extension with its
// "."); other marks stay.
void SelectPictures(MExplorerItem& folder,
                    const std::function<bool(const std::string&)>& isPicture);
void InvertSelection(MExplorerItem& folder);

}  // namespace pixelary
