// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace pixelary {

// Synchronous hand-over from worker threads to the owning (main) thread: a worker enqueues a
// call and waits until the owner has run it. The owner runs queued calls from its event loop
// (RunPending, prompted by the notify hook) or while it waits for something (ServeUntil), so a
// worker blocked in a call can always finish.
class HandOver {
  public:
    // The calling thread becomes the owner.
    HandOver();
    HandOver(const HandOver&) = delete;
    HandOver& operator=(const HandOver&) = delete;

    // The process-wide hand-over of the main thread (the thread that first asks for it).
    static HandOver& Main();

    // Runs call on the owner thread and returns when it is done; an exception it raises is
    // raised here again. Called on the owner thread, the call runs at once.
    void Call(const std::function<void()>& call);

    // Owner thread: runs every queued call; returns how many ran.
    int RunPending();
    // Owner thread: runs queued calls as they arrive until done() holds. done is checked
    // whenever a call ran or Wake was called. Returns false when timeout passed first.
    bool ServeUntil(const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds::max());
    // Makes a waiting ServeUntil check its condition again (any thread).
    void Wake();

    // notify is called (on the worker thread, after queueing, under the queue's lock, so it must
    // not use this HandOver) for every new call, so an event loop can schedule RunPending. An
    // empty function removes the hook; once SetNotify returns, the old hook is not called again.
    void SetNotify(std::function<void()> notify);

    bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

  private:
    struct Pending {
        const std::function<void()>* call = nullptr;
        bool done = false;
        std::exception_ptr error;
    };

    bool RunOne();

    const std::thread::id owner_;
    std::mutex mutex_;
    std::condition_variable queued_;    // a call arrived or Wake
    std::condition_variable finished_;  // a call ran
    std::deque<Pending*> queue_;
    std::function<void()> notify_;
    unsigned wakes_ = 0;
};

}  // namespace pixelary
