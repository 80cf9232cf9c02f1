// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "scanner/HandOver.h"

namespace pixelary {

// A worker thread created suspended, with a terminate flag and synchronous calls to the owner
// thread through a HandOver. A derived class must call WaitFor in its own destructor, before
// the members that Execute uses are destroyed.
class WorkerThread {
  public:
    explicit WorkerThread(HandOver& handOver = HandOver::Main());
    virtual ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the thread; later calls do nothing.
    void Resume();
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }
    bool Finished() const { return finished_.load(); }
    // True once Resume has run the thread (owner thread).
    bool Started() const { return thread_.joinable() || finished_.load(); }
    // Owner thread: waits until Execute has returned, running the worker's pending calls
    // meanwhile so a worker blocked in Synchronize can finish. Nothing when never started.
    void WaitFor();

  protected:
    virtual void Execute() = 0;
    // Worker: runs call on the owner thread and waits for it.
    void Synchronize(const std::function<void()>& call) { hand_over_.Call(call); }

  private:
    void Run();

    HandOver& hand_over_;
    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
};

}  // namespace pixelary
