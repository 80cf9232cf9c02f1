// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "model/MItem.h"
#include "platform/api/ItemIdList.h"

namespace pixelary {

// Owner of one item-ID list with its byte size and item count.
class MPidl : public MItem {
  public:
    // No list: sizes 0.
    MPidl() = default;
    explicit MPidl(shell::IdList list) { SetIdList(std::move(list)); }

    // Takes list, keeping its sound prefix closed by a terminator (a damaged list never leaves
    // a count pointing past its end); returns ByteSize.
    std::int32_t SetIdList(shell::IdList list);

    const shell::IdList& IdList() const { return id_list_; }
    bool HasIdList() const { return !id_list_.empty(); }
    // Sum of the item counts plus the terminator; 0 without a list.
    std::int32_t ByteSize() const { return byte_size_; }
    std::int32_t IdCount() const { return id_count_; }

    shell::IdList CopyIdList() const;
    // The last item alone; the desktop's empty list for an empty list (or none).
    shell::IdList CopyLastId() const;
    // Every item but the last; a list of fewer than two items is copied whole.
    shell::IdList CopyParentIds() const;

  private:
    shell::IdList id_list_;
    std::int32_t byte_size_ = 0;
    std::int32_t id_count_ = 0;
};

}  // namespace pixelary
