// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace pixelary::fileops {

struct TrashResult {
    std::vector<std::string> trashed;
    std::string error;  // the first path that could not be moved, for the user
};

// Moves each path to the desktop's trash (the freedesktop trash, so it can be restored), in
// order, stopping at the first failure.
TrashResult MoveToTrash(const std::vector<std::string>& paths);

}  // namespace pixelary::fileops
