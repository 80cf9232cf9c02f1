// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/MWalkQueue.h"

#include <algorithm>

namespace pixelary {

MWalkQueue::MWalkQueue(std::int32_t capacity) : capacity_(std::max(capacity, 1)) {
    locations_.reserve(static_cast<std::size_t>(capacity_));
}

MFolderPath* MWalkQueue::Current() const {
    return At(current_index_);
}

MFolderPath* MWalkQueue::At(std::int32_t index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return locations_[static_cast<std::size_t>(index)].get();
}

void MWalkQueue::SetCurrent(std::int32_t index) {
    index = std::max(index, 0);
    current_index_ = index < Count() ? index : Count() - 1;
}

void MWalkQueue::DropAfterCurrent() {
    locations_.resize(static_cast<std::size_t>(current_index_ + 1));
}

void MWalkQueue::Push(std::unique_ptr<MFolderPath> location) {
    if (!location) return;
    if (Count() >= capacity_) locations_.erase(locations_.begin());
    locations_.push_back(std::move(location));
    current_index_ = Count() - 1;
}

}  // namespace pixelary
