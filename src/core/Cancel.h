// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace pixelary {

// A worker's stop request made visible to the code it calls on the same thread (readers, the
// image component's progress callback), so a long decode ends soon after the worker is told to
// stop instead of running to its end. Scopes nest; the innermost one answers.
class CancelScope {
  public:
    explicit CancelScope(std::function<bool()> stopRequested);
    ~CancelScope();
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;

    bool Asks() const { return stop_requested_ && stop_requested_(); }

  private:
    std::function<bool()> stop_requested_;
    const CancelScope* outer_;
};

// True when the innermost scope of this thread asks to stop; false outside every scope.
bool StopRequested();

}  // namespace pixelary
