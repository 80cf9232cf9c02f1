// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MFolderPath.h"

namespace pixelary {

MFolderPath::MFolderPath(shell::FolderPtr folder, shell::IdList list)
    : level_folder_(std::move(folder)), level_id_(std::make_unique<MPidl>(std::move(list))) {}

MFolderPath::MFolderPath(const MFolderPath& other)
    : MItem(),
      level_folder_(other.level_folder_),
      level_id_(std::make_unique<MPidl>(other.level_id_->CopyIdList())) {
    for (auto* level = static_cast<const MFolderPath*>(other.Next); level != nullptr;
         level = static_cast<const MFolderPath*>(level->Next)) {
        AppendLevel(level->level_folder_, level->level_id_->CopyIdList());
    }
}

// Destroys the rest of the chain one level at a time, last first, so no destructor recurses.
MFolderPath::~MFolderPath() {
    while (Next != nullptr) {
        MItem* last = Next;
        while (last->Next != nullptr) last = last->Next;
        last->Prev->Next = nullptr;
        last->Prev = nullptr;
        delete last;
    }
}

int MFolderPath::Depth() const {
    int depth = 0;
    for (const MItem* level = this; level != nullptr; level = level->Next) ++depth;
    return depth;
}

const MFolderPath* MFolderPath::Level(int i) const {
    const MFolderPath* level = this;
    for (; i > 0 && level->Next != nullptr; --i)
        level = static_cast<const MFolderPath*>(level->Next);
    return level;
}

const shell::FolderPtr& MFolderPath::FolderAt(int i) const {
    return Level(i)->level_folder_;
}

const MPidl& MFolderPath::IdAt(int i) const {
    return *Level(i)->level_id_;
}

void MFolderPath::AppendLevel(shell::FolderPtr folder, shell::IdList list) {
    MItem* last = this;
    while (last->Next != nullptr) last = last->Next;
    auto* level = new MFolderPath(std::move(folder), std::move(list));
    level->Prev = last;
    last->Next = level;
}

void MFolderPath::RemoveLastLevel() {
    if (Next == nullptr) return;
    MItem* last = Next;
    while (last->Next != nullptr) last = last->Next;
    last->Prev->Next = nullptr;
    last->Prev = nullptr;
    delete last;
}

}  // namespace pixelary
