// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MExplorerItem.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <limits>

#include "core/Dib.h"
#include "core/DosDateTime.h"
#include "core/Text.h"

namespace pixelary {

namespace {

constexpr std::uint32_t kFolderAndFileSystem = shell::SFGAO_FOLDER | shell::SFGAO_FILESYSTEM;
constexpr std::uint32_t kFolderAndAncestor = shell::SFGAO_FOLDER | shell::SFGAO_FILESYSANCESTOR;
constexpr int kPlaceholderSide = 1;
constexpr int kPlaceholderDepth = 24;

int Sign(long long value) {
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// Stamps that are no real date (0 for items without one) sort before every real date.
int CompareDates(std::int32_t a, std::int32_t b) {
    const auto da = dosdate::ToDateTime(a);
    const auto db = dosdate::ToDateTime(b);
    if (!da || !db) {
        return Sign(static_cast<int>(da.has_value()) - static_cast<int>(db.has_value()));
    }
    return *da < *db ? -1 : *da > *db ? 1 : 0;
}

int CompareByKey(MExplorerItem& a, MExplorerItem& b, std::int32_t key) {
    int result = 0;
    switch (key) {
        case kSortByExt:
            result = text::LocaleCompare(a.GetExt(), b.GetExt());
            break;
        case kSortBySize:
            result = Sign(static_cast<long long>(a.GetFileSize()) - b.GetFileSize());
            break;
        case kSortByDate:
            result = CompareDates(a.GetFileDate(), b.GetFileDate());
            break;
        default:
            break;
    }
    if (result != 0) return result;
    result = text::LocaleCompare(a.GetName(), b.GetName());
    if (result != 0 || key != kSortByName) return result;
    return text::LocaleCompare(a.GetExt(), b.GetExt());
}

std::int32_t ClampedSize(off_t size) {
    constexpr off_t kMax = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp<off_t>(size, 0, kMax));
}

// Entries live on the main thread only, but a counter shared by all of them costs nothing to
// make safe.
std::uint64_t NextImageStamp() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

// The file system's facts of the path, for a folder that cannot tell them in one query.
void StatFacts(shell::ItemFacts& facts) {
    struct stat info {};
    if (::stat(facts.ParsingName.c_str(), &info) != 0) return;
    facts.Found = true;
    facts.Directory = S_ISDIR(info.st_mode);
    facts.Size = info.st_size;
    facts.ModifiedTime = info.st_mtime;
}

}  // namespace

MSplitPath SplitPath(std::string_view path) {
    // "." and "/" are ASCII, so they never occur inside a multi-byte UTF-8 sequence: byte
    // positions find the same characters as code point positions.
    MSplitPath parts;
    const std::size_t slash = path.rfind('/');
    const std::size_t component = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot > component && dot + 1 < path.size()) {
        parts.Ext = std::string(path.substr(dot));
        path = path.substr(0, dot);
    }
    parts.Name = std::string(path.substr(component));
    parts.Directory = std::string(path.substr(0, component));
    return parts;
}

MExplorerItem::MExplorerItem(shell::FolderPtr folder, shell::IdList list)
    : MShellItem(std::move(folder), std::move(list)) {}

MExplorerItem::MExplorerItem(int specialFolder) : MShellItem(specialFolder) {}

MExplorerItem::MExplorerItem(const std::string& path) : MShellItem(path) {}

void MExplorerItem::Fill(std::uint32_t flags) {
    Enumerate(flags, [](const shell::FolderPtr& folder, shell::IdList list) {
        return new MExplorerItem(folder, std::move(list));
    });
    SortChildren();
}

MExplorerItem* MExplorerItem::GetChild(int index) {
    return static_cast<MExplorerItem*>(MShellItem::GetChild(index));
}

void MExplorerItem::RefreshInfo() {
    ext_.clear();
    file_date_ = 0;
    file_size_ = 0;
    is_file_ = false;
    name_key_.reset();
    ext_key_.reset();
    std::optional<shell::ItemFacts> facts;
    if (ParentFolder()) facts = ParentFolder()->GetItemFacts(CopyLastId(), kFolderAndFileSystem);
    if (!facts) {
        facts = shell::ItemFacts{};
        facts->Attributes = GetAttributes(kFolderAndFileSystem);
        if ((facts->Attributes & shell::SFGAO_FILESYSTEM) != 0) {
            facts->ParsingName = GetDisplayName(shell::SHGDN_FORPARSING);
            StatFacts(*facts);
        }
    }
    is_folder_ = (facts->Attributes & shell::SFGAO_FOLDER) != 0;
    if ((facts->Attributes & shell::SFGAO_FILESYSTEM) == 0) {
        name_ = GetDisplayName(shell::SHGDN_NORMAL);
        return;
    }
    MSplitPath parts = SplitPath(facts->ParsingName);
    if (parts.Name.empty()) {
        name_ = parts.Directory;  // a volume root such as "/"
        return;
    }
    name_ = std::move(parts.Name);
    ext_ = std::move(parts.Ext);
    if (!facts->Found) return;
    file_date_ = dosdate::FromUnixTime(static_cast<time_t>(facts->ModifiedTime));
    if (!facts->Directory) {
        file_size_ = ClampedSize(static_cast<off_t>(facts->Size));
        is_file_ = true;
    }
}

void MExplorerItem::EnsureInfo() {
    if (name_.empty()) RefreshInfo();
}

const std::string& MExplorerItem::GetName() {
    EnsureInfo();
    return name_;
}

const std::string& MExplorerItem::GetExt() {
    EnsureInfo();
    return ext_;
}

std::int32_t MExplorerItem::GetFileDate() {
    EnsureInfo();
    return file_date_;
}

std::int32_t MExplorerItem::GetFileSize() {
    EnsureInfo();
    return file_size_;
}

bool MExplorerItem::GetIsFile() {
    EnsureInfo();
    return is_file_;
}

std::string MExplorerItem::GetTypeName() const {
    if (!ParentFolder()) return {};
    return ParentFolder()->GetTypeName(CopyLastId());
}

MemoryStream& MExplorerItem::IconStream(std::unique_ptr<MemoryStream>& stream,
                                        shell::IconSize size) {
    if (!stream) {
        Dib icon;
        if (ParentFolder()) icon = ParentFolder()->GetIcon(CopyLastId(), size);
        if (icon.IsEmpty()) icon = Dib(kPlaceholderSide, kPlaceholderSide, kPlaceholderDepth);
        stream = std::make_unique<MemoryStream>();
        icon.SaveToStream(*stream);
    }
    stream->SetPosition(0);
    return *stream;
}

MemoryStream& MExplorerItem::GetSmallIconStream() {
    return IconStream(small_icon_stream_, shell::IconSize::Small);
}

MemoryStream& MExplorerItem::GetLargeImageStream() {
    if (!large_image_stream_) large_image_stamp_ = NextImageStamp();
    return IconStream(large_image_stream_, shell::IconSize::Large);
}

void MExplorerItem::SetLargeImage(const Dib& picture) {
    MemoryStream& stream = GetLargeImageStream();
    stream.Clear();
    picture.SaveToStream(stream);
    stream.SetPosition(0);
    large_image_stamp_ = NextImageStamp();
}

bool MExplorerItem::SetName(const std::string& name) {
    if (name.empty() || name == GetDisplayName(shell::SHGDN_NORMAL)) return false;
    bool renamed = false;
    if (ParentFolder()) {
        constexpr std::uint32_t kRenameNameFlags = 0x60;
        auto list = ParentFolder()->SetNameOf(CopyLastId(), name, kRenameNameFlags);
        if (list) {
            SetIdList(std::move(*list));
            renamed = true;
        }
    }
    RefreshInfo();
    return renamed;
}

void MExplorerItem::SetSortKey(std::int32_t key) {
    if (key == sort_key_ || key < kSortByName || key > kSortByDate) return;
    sort_key_ = key;
    SortChildren();
}

void MExplorerItem::SetAscending(bool ascending) {
    if (ascending == ascending_) return;
    ascending_ = ascending;
    SortChildren();
}

int MExplorerItem::Compare(MExplorerItem& a, MExplorerItem& b, std::int32_t key, bool ascending) {
    const bool a_folder = (a.GetAttributes(kFolderAndAncestor) & shell::SFGAO_FOLDER) != 0;
    const bool b_folder = (b.GetAttributes(kFolderAndAncestor) & shell::SFGAO_FOLDER) != 0;
    if (a_folder != b_folder) return a_folder ? -1 : 1;
    const int result = CompareByKey(a, b, key);
    return ascending ? result : -result;
}

int MExplorerItem::CompareKept(const MExplorerItem& a, const MExplorerItem& b, std::int32_t key,
                               bool ascending) {
    if (a.is_folder_ != b.is_folder_) return a.is_folder_ ? -1 : 1;
    auto byName = [&] {
        return text::CompareCollated(*a.name_key_, a.name_, *b.name_key_, b.name_);
    };
    auto byExt = [&] { return text::CompareCollated(*a.ext_key_, a.ext_, *b.ext_key_, b.ext_); };
    int result = 0;
    switch (key) {
        case kSortByExt:
            result = byExt();
            break;
        case kSortBySize:
            result = Sign(static_cast<long long>(a.file_size_) - b.file_size_);
            break;
        case kSortByDate:
            result = CompareDates(a.file_date_, b.file_date_);
            break;
        default:
            break;
    }
    if (result == 0) result = byName();
    if (result == 0 && key == kSortByName) result = byExt();
    return ascending ? result : -result;
}

void MExplorerItem::PrepareForSort() {
    EnsureInfo();
    if (!name_key_) name_key_ = text::LocaleCollationKey(name_);
    if (!ext_key_) ext_key_ = text::LocaleCollationKey(ext_);
}

// Each entry's facts and keys are made once, not at every comparison; the comparison itself
// orders exactly as Compare does.
void MExplorerItem::SortChildren() {
    if (!HasChildren()) return;
    ForgetChildCursor();
    for (MItem* node = Children()->Head; node != nullptr; node = node->Next) {
        static_cast<MExplorerItem*>(node)->PrepareForSort();
    }
    const std::int32_t key = sort_key_;
    const bool ascending = ascending_;
    Children()->Sort([key, ascending](const MItem* a, const MItem* b) {
        return CompareKept(*static_cast<const MExplorerItem*>(a),
                           *static_cast<const MExplorerItem*>(b), key, ascending);
    });
}

namespace {

template <typename Action>
void ForEachEntry(MExplorerItem& folder, Action action) {
    folder.ChildCount();  // fills the folder when it has no children yet
    const MItemList* entries = folder.ChildList();
    if (entries == nullptr) return;
    for (MItem* node = entries->Head; node != nullptr; node = node->Next) {
        action(*static_cast<MExplorerItem*>(node));
    }
}

}  // namespace

void SelectAll(MExplorerItem& folder) {
    ForEachEntry(folder, [](MExplorerItem& entry) { entry.Selected = true; });
}

void SelectPictures(MExplorerItem& folder,
                    const std::function<bool(const std::string&)>& isPicture) {
    ForEachEntry(folder, [&](MExplorerItem& entry) {
        if (isPicture(text::ToLower(entry.GetExt()))) entry.Selected = true;
    });
}

void InvertSelection(MExplorerItem& folder) {
    ForEachEntry(folder, [](MExplorerItem& entry) { entry.Selected = !entry.Selected; });
}

}  // namespace pixelary
