// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/MItem.h"
#include "model/MPidl.h"
#include "platform/api/ShellFolder.h"

namespace pixelary {

// A shell item: its item-ID list (relative to ParentFolder, or absolute when ParentFolder is the
// desktop), the folder that contains it, and its children, made on demand.
class MShellItem : public MPidl {
  public:
    // Takes list; no children.
    MShellItem(shell::FolderPtr folder, shell::IdList list);
    // A special folder (shell::CSIDL_*); code 0 is the desktop. Raises Exception "MShellItem get
    // dekstop error" without a desktop and "MShellItem get special folder error" for an
    // unknown code.
    explicit MShellItem(int specialFolder);
    // The item a path text names; the desktop when the text cannot be parsed or its folder
    // bound. Raises the errors of the special-folder constructor.
    explicit MShellItem(const std::string& path);

    const shell::FolderPtr& ParentFolder() const { return parent_folder_; }

    // The folder this item stands for; ParentFolder itself when the item is no folder or the
    // desktop.
    shell::FolderPtr BindToFolder() const;
    // The folder this item stands for: ParentFolder for the desktop, none when the item is no
    // folder (a file, or a folder that has gone).
    shell::FolderPtr BindToOwnFolder() const;
    // shell::SHGDN_NORMAL or shell::SHGDN_FORPARSING; empty when the shell refuses.
    std::string GetDisplayName(std::uint32_t flags) const;
    std::uint32_t GetAttributes(std::uint32_t mask) const;

    // Enumerates the children (shell::SHCONTF_* flags) into Children; the old children stay
    // when the folder cannot be listed.
    virtual void Fill(std::uint32_t flags);
    // Renames the item when the shell allows it; true when the item has its new name.
    virtual bool Rename(const std::string& name);

    // Both fill with folders and non-folders first when there are no children yet.
    int ChildCount();
    // None past the end.
    MShellItem* GetChild(int index);
    bool HasChildren() const { return children_ != nullptr; }
    // The children in order, or none before the first fill.
    const MItemList* ChildList() const { return children_.get(); }

  protected:
    // Replaces the children with those the enumeration gives, made by makeChild; false (and
    // the old children kept) when the folder cannot be listed.
    template <typename MakeChild>
    bool Enumerate(std::uint32_t flags, MakeChild makeChild);
    MItemList* Children() { return children_.get(); }
    // Must follow every change of the children's order.
    void ForgetChildCursor() {
        cursor_index_ = -1;
        cursor_ = nullptr;
    }

  private:
    void FromAbsoluteList(const shell::FolderPtr& desktop, shell::IdList absolute);

    shell::FolderPtr parent_folder_;
    std::unique_ptr<MItemList> children_;
    // The child GetChild found last, so walking the children in order costs one step each.
    int cursor_index_ = -1;
    MItem* cursor_ = nullptr;
    // The children's number, counted once after each enumeration (the list is linked, and the
    // view asks for the number at every paint and hit test); -1 until counted.
    int child_count_ = -1;
};

// The absolute list of the item a path text names; none when it cannot be parsed. Raises
// Exception "MShellItem get dekstop error" without a desktop.
std::unique_ptr<MPidl> ParsePath(const std::string& path);

template <typename MakeChild>
bool MShellItem::Enumerate(std::uint32_t flags, MakeChild makeChild) {
    if (!children_) children_ = std::make_unique<MItemList>();
    // A file or a vanished folder lists nothing, rather than the folder that holds it.
    shell::FolderPtr folder = BindToOwnFolder();
    if (!folder) return false;
    auto lists = folder->EnumObjects(flags);
    if (!lists) return false;
    ForgetChildCursor();
    child_count_ = -1;
    children_->Clear();
    // Linked here and handed over as one chain: appending one at a time walks the list each time.
    MItem* first = nullptr;
    MItem* last = nullptr;
    for (auto& list : *lists) {
        MItem* child = makeChild(folder, std::move(list));
        child->Prev = last;
        (last == nullptr ? first : last->Next) = child;
        last = child;
    }
    children_->Insert(0, first);
    return true;
}

}  // namespace pixelary
