// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/MFolderPath.h"

namespace pixelary {

// The navigation history: at most Capacity owned locations, oldest first, and the current one.
class MWalkQueue {
  public:
    // A capacity below 1 becomes 1.
    explicit MWalkQueue(std::int32_t capacity);

    std::int32_t Capacity() const { return capacity_; }
    std::int32_t Count() const { return static_cast<std::int32_t>(locations_.size()); }
    std::int32_t CurrentIndex() const { return current_index_; }

    // None while CurrentIndex is negative.
    MFolderPath* Current() const;
    // The location at index, none outside 0 .. Count - 1.
    MFolderPath* At(std::int32_t index) const;
    // A negative index counts as 0; an index at or past Count makes the last current. An empty
    // queue keeps -1.
    void SetCurrent(std::int32_t index);
    // Destroys the locations newer than the current one.
    void DropAfterCurrent();
    // Destroys the oldest when full; the location becomes the newest and current one.
    void Push(std::unique_ptr<MFolderPath> location);

  private:
    std::int32_t capacity_;
    std::int32_t current_index_ = -1;
    std::vector<std::unique_ptr<MFolderPath>> locations_;
};

}  // namespace pixelary
