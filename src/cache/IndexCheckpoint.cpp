// SPDX-License-Identifier: GPL-3.0-or-later
#include "cache/IndexCheckpoint.h"

#include <utility>

#include "cache/MCacheFile.h"

namespace pixelary {

IndexCheckpoint::IndexCheckpoint(MCacheFileManager& cache, Clock clock,
                                 std::chrono::steady_clock::duration interval)
    : cache_(cache), clock_(std::move(clock)), interval_(interval) {
    MarkSaved();
}

void IndexCheckpoint::MarkSaved() {
    saved_revision_ = cache_.Revision();
    last_attempt_ = clock_();
}

bool IndexCheckpoint::Changed() const {
    return cache_.Revision() != saved_revision_;
}

bool IndexCheckpoint::SaveIfDue() {
    if (!Changed() || clock_() - last_attempt_ < interval_) return false;
    return Save();
}

bool IndexCheckpoint::SaveNow() {
    if (!Changed()) return false;
    return Save();
}

bool IndexCheckpoint::Save() {
    last_attempt_ = clock_();
    auto lock = cache_.Lock();  // the revision written is the revision noted
    const std::uint64_t revision = cache_.Revision();
    cache_.Save();
    saved_revision_ = revision;
    return true;
}

}  // namespace pixelary
