// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/ScanEntries.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "core/DosDateTime.h"
#include "core/Text.h"
#include "model/MExplorerItem.h"

namespace pixelary {
namespace fs = std::filesystem;

int ExplorerScanEntries::ChildCount() {
    return folder_.ChildCount();
}

std::optional<EntrySnapshot> ExplorerScanEntries::FileEntry(int index) {
    MExplorerItem* entry = folder_.GetChild(index);
    if (entry == nullptr || !entry->GetIsFile()) return std::nullopt;
    return EntrySnapshot{entry->GetDisplayName(shell::SHGDN_FORPARSING), entry->GetFileSize(),
                         entry->GetFileDate()};
}

void ExplorerScanEntries::SetLargeImage(int index, const Dib& thumbnail) {
    if (MExplorerItem* entry = folder_.GetChild(index)) entry->SetLargeImage(thumbnail);
}

DirectoryScanEntries::DirectoryScanEntries(const std::string& directory) {
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with('.')) continue;
        struct stat info {};
        if (::stat(it->path().c_str(), &info) != 0) continue;
        Entry entry;
        entry.is_file = !S_ISDIR(info.st_mode);
        entry.snapshot.Path = it->path().string();
        entry.snapshot.Size = static_cast<std::int32_t>(
            std::min<std::int64_t>(info.st_size, std::numeric_limits<std::int32_t>::max()));
        entry.snapshot.Date = dosdate::FromUnixTime(info.st_mtime);
        entries_.push_back(std::move(entry));
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        if (a.is_file != b.is_file) return !a.is_file;
        return text::LocaleCompare(a.snapshot.Path, b.snapshot.Path) < 0;
    });
}

std::optional<EntrySnapshot> DirectoryScanEntries::FileEntry(int index) {
    if (index < 0 || index >= ChildCount()) return std::nullopt;
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    if (!entry.is_file) return std::nullopt;
    return entry.snapshot;
}

void DirectoryScanEntries::SetLargeImage(int index, const Dib& thumbnail) {
    if (index < 0 || index >= ChildCount()) return;
    entries_[static_cast<std::size_t>(index)].image = thumbnail;
}

}  // namespace pixelary
