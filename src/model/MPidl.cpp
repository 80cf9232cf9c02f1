// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MPidl.h"

namespace pixelary {

namespace {

shell::IdList Slice(const shell::IdList& list, std::size_t from, std::size_t to) {
    shell::IdList out(list.begin() + static_cast<std::ptrdiff_t>(from),
                      list.begin() + static_cast<std::ptrdiff_t>(to));
    out.push_back(0);
    out.push_back(0);
    return out;
}

}  // namespace

std::int32_t MPidl::SetIdList(shell::IdList list) {
    id_list_ = list.empty() ? shell::IdList{} : shell::idlist::Normalized(list);
    id_count_ = static_cast<std::int32_t>(shell::idlist::Count(id_list_));
    byte_size_ = static_cast<std::int32_t>(id_list_.size());
    return byte_size_;
}

shell::IdList MPidl::CopyIdList() const {
    return id_list_;
}

shell::IdList MPidl::CopyLastId() const {
    const auto offsets = shell::idlist::ItemOffsets(id_list_);
    if (offsets.empty()) return shell::idlist::Empty();
    const std::size_t last = offsets.back();
    return Slice(id_list_, last, last + shell::idlist::ItemSize(id_list_, last));
}

shell::IdList MPidl::CopyParentIds() const {
    const auto offsets = shell::idlist::ItemOffsets(id_list_);
    if (offsets.size() < 2) return id_list_.empty() ? shell::idlist::Empty() : id_list_;
    return Slice(id_list_, 0, offsets.back());
}

}  // namespace pixelary
