// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace pixelary {

class MCacheFileManager;

// Writes the cache index while the program runs, not only at exit, so a crash loses at most
// the thumbnails of the last interval: when a scan ends and, while one runs, whenever the
// index changed and the interval has passed since the last write. Thumbnail files written
// after the last index are swept at the next start.
class IndexCheckpoint {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kInterval{30};

    explicit IndexCheckpoint(MCacheFileManager& cache, Clock clock = std::chrono::steady_clock::now,
                             std::chrono::steady_clock::duration interval = kInterval);

    // The index as it is now is the one on disk (after loading or writing it elsewhere).
    void MarkSaved();
    // Writes the index when it changed since the last write and the interval has passed.
    // True when it wrote; a failed write raises the cache's file-creation error and waits for
    // the next interval before trying again.
    bool SaveIfDue();
    // Writes the index when it changed since the last write; the same errors.
    bool SaveNow();

  private:
    bool Changed() const;
    bool Save();

    MCacheFileManager& cache_;
    Clock clock_;
    std::chrono::steady_clock::duration interval_;
    std::uint64_t saved_revision_ = 0;
    std::chrono::steady_clock::time_point last_attempt_;
};

}  // namespace pixelary
