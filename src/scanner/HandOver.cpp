// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/HandOver.h"

namespace pixelary {

HandOver::HandOver() : owner_(std::this_thread::get_id()) {}

HandOver& HandOver::Main() {
    static HandOver main;
    return main;
}

void HandOver::Call(const std::function<void()>& call) {
    if (OnOwnerThread()) {
        call();
        return;
    }
    Pending pending;
    pending.call = &call;
    std::unique_lock lock(mutex_);
    queue_.push_back(&pending);
    // Under the lock, so a hook removed by SetNotify is never called afterwards.
    if (notify_) notify_();
    queued_.notify_all();
    finished_.wait(lock, [&] { return pending.done; });
    if (pending.error) std::rethrow_exception(pending.error);
}

bool HandOver::RunOne() {
    Pending* pending = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) return false;
        pending = queue_.front();
        queue_.pop_front();
    }
    std::exception_ptr error;
    try {
        (*pending->call)();
    } catch (...) {
        error = std::current_exception();
    }
    {
        std::lock_guard lock(mutex_);
        pending->error = error;
        pending->done = true;
    }
    finished_.notify_all();
    return true;
}

int HandOver::RunPending() {
    int count = 0;
    while (RunOne()) ++count;
    return count;
}

bool HandOver::ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const bool forever = timeout == std::chrono::milliseconds::max();
    const auto deadline =
        std::chrono::steady_clock::now() + (forever ? std::chrono::hours(0) : timeout);
    for (;;) {
        RunPending();
        std::unique_lock lock(mutex_);
        const unsigned seen = wakes_;
        auto ready = [&] { return !queue_.empty() || wakes_ != seen || done(); };
        if (forever) {
            queued_.wait(lock, ready);
        } else if (!queued_.wait_until(lock, deadline, ready)) {
            return false;
        }
        if (queue_.empty() && done()) return true;
    }
}

void HandOver::Wake() {
    {
        std::lock_guard lock(mutex_);
        ++wakes_;
    }
    queued_.notify_all();
}

void HandOver::SetNotify(std::function<void()> notify) {
    std::lock_guard lock(mutex_);
    notify_ = std::move(notify);
}

}  // namespace pixelary
