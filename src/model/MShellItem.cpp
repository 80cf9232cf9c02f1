// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MShellItem.h"

#include "core/Exception.h"

namespace pixelary {

namespace {

constexpr char kNoDesktopMessage[] = "MShellItem get dekstop error";
constexpr char kNoSpecialFolderMessage[] = "MShellItem get special folder error";

shell::FolderPtr DesktopFolderOrThrow() {
    auto shell = shell::CurrentShell();
    shell::FolderPtr desktop = shell ? shell->GetDesktopFolder() : nullptr;
    if (!desktop) throw Exception(kNoDesktopMessage);
    return desktop;
}

shell::IdList SpecialFolderOrThrow(int code) {
    auto shell = shell::CurrentShell();
    auto list = shell ? shell->GetSpecialFolderLocation(code) : std::nullopt;
    if (!list) throw Exception(kNoSpecialFolderMessage);
    return std::move(*list);
}

}  // namespace

MShellItem::MShellItem(shell::FolderPtr folder, shell::IdList list)
    : MPidl(std::move(list)), parent_folder_(std::move(folder)) {}

MShellItem::MShellItem(int specialFolder) {
    shell::FolderPtr desktop = DesktopFolderOrThrow();
    FromAbsoluteList(desktop, SpecialFolderOrThrow(specialFolder));
    if (!parent_folder_) throw Exception(kNoSpecialFolderMessage);
}

MShellItem::MShellItem(const std::string& path) {
    shell::FolderPtr desktop = DesktopFolderOrThrow();
    auto parsed = desktop->ParseDisplayName(path);
    if (parsed) FromAbsoluteList(desktop, std::move(*parsed));
    if (!parent_folder_) {
        parent_folder_ = desktop;
        SetIdList(SpecialFolderOrThrow(shell::CSIDL_DESKTOP));
    }
}

// The containing folder is bound from the desktop, so that (ParentFolder, CopyLastId) names the
// item whatever its depth; an item directly below the desktop keeps the desktop as its folder.
void MShellItem::FromAbsoluteList(const shell::FolderPtr& desktop, shell::IdList absolute) {
    SetIdList(std::move(absolute));
    if (IdCount() < 2) {
        parent_folder_ = desktop;
        return;
    }
    parent_folder_ = desktop->BindToObject(CopyParentIds());
}

shell::FolderPtr MShellItem::BindToFolder() const {
    shell::FolderPtr bound = BindToOwnFolder();
    return bound ? bound : parent_folder_;
}

shell::FolderPtr MShellItem::BindToOwnFolder() const {
    if (!parent_folder_) return nullptr;
    const shell::IdList last = CopyLastId();
    if (shell::idlist::Count(last) == 0) return parent_folder_;
    return parent_folder_->BindToObject(last);
}

std::string MShellItem::GetDisplayName(std::uint32_t flags) const {
    if (!parent_folder_) return {};
    return parent_folder_->GetDisplayNameOf(CopyLastId(), flags).value_or(std::string());
}

std::uint32_t MShellItem::GetAttributes(std::uint32_t mask) const {
    if (!parent_folder_) return 0;
    return parent_folder_->GetAttributesOf(CopyLastId(), mask);
}

void MShellItem::Fill(std::uint32_t flags) {
    Enumerate(flags, [](const shell::FolderPtr& folder, shell::IdList list) {
        return new MShellItem(folder, std::move(list));
    });
}

bool MShellItem::Rename(const std::string& name) {
    if ((GetAttributes(shell::SFGAO_CANRENAME) & shell::SFGAO_CANRENAME) == 0) return false;
    constexpr std::uint32_t kRenameNameFlags = 0x60;
    auto renamed = parent_folder_->SetNameOf(CopyLastId(), name, kRenameNameFlags);
    if (!renamed) return false;
    SetIdList(std::move(*renamed));
    return true;
}

int MShellItem::ChildCount() {
    if (!children_) Fill(shell::SHCONTF_FOLDERS | shell::SHCONTF_NONFOLDERS);
    if (!children_) return 0;
    if (child_count_ < 0) child_count_ = children_->Count();
    return child_count_;
}

MShellItem* MShellItem::GetChild(int index) {
    if (!children_) Fill(shell::SHCONTF_FOLDERS | shell::SHCONTF_NONFOLDERS);
    if (!children_ || index < 0) return nullptr;
    if (cursor_ != nullptr && index == cursor_index_ + 1) {
        cursor_ = cursor_->Next;
    } else if (cursor_ == nullptr || index != cursor_index_) {
        cursor_ = children_->Item(index);
    }
    cursor_index_ = cursor_ != nullptr ? index : -1;
    return static_cast<MShellItem*>(cursor_);
}

std::unique_ptr<MPidl> ParsePath(const std::string& path) {
    shell::FolderPtr desktop = DesktopFolderOrThrow();
    auto parsed = desktop->ParseDisplayName(path);
    if (!parsed) return nullptr;
    return std::make_unique<MPidl>(std::move(*parsed));
}

}  // namespace pixelary
