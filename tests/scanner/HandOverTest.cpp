// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "scanner/HandOver.h"
#include "scanner/WorkerThread.h"

namespace pixelary {
namespace {

// Makes a fixed number of synchronous calls, counting on the owner thread.
class CountingWorker : public WorkerThread {
  public:
    CountingWorker(HandOver& handOver, int calls) : WorkerThread(handOver), calls_(calls) {}
    ~CountingWorker() override { WaitFor(); }

    int count = 0;  // touched on the owner thread only
    std::atomic<bool> sawError{false};

  protected:
    void Execute() override {
        for (int i = 0; i < calls_ && !Terminated(); ++i) Synchronize([this] { ++count; });
        try {
            Synchronize([] { throw std::runtime_error("raised on the owner"); });
        } catch (const std::runtime_error&) {
            sawError = true;
        }
    }

  private:
    int calls_;
};

TEST(HandOver, WorkerCallsRunOnTheOwnerAndErrorsComeBack) {
    HandOver handOver;
    CountingWorker worker(handOver, 50);
    worker.Resume();
    worker.WaitFor();
    EXPECT_EQ(worker.count, 50);
    EXPECT_TRUE(worker.sawError);
    EXPECT_TRUE(worker.Finished());
}

TEST(HandOver, CallsFromTheOwnerRunAtOnceAndWaitsCanTimeOut) {
    HandOver handOver;
    int ran = 0;
    handOver.Call([&] { ++ran; });
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(handOver.RunPending(), 0);
    EXPECT_FALSE(handOver.ServeUntil([] { return false; }, std::chrono::milliseconds(10)));
    EXPECT_TRUE(handOver.ServeUntil([] { return true; }, std::chrono::milliseconds(10)));
}

TEST(HandOver, NotifyHookSeesEveryCallAndAPlainLoopServesThem) {
    HandOver handOver;
    std::atomic<int> notified{0};
    handOver.SetNotify([&] { ++notified; });
    CountingWorker worker(handOver, 10);
    worker.Resume();
    while (!worker.Finished()) {
        handOver.ServeUntil([&] { return worker.Finished(); }, std::chrono::milliseconds(1));
    }
    worker.WaitFor();
    EXPECT_EQ(worker.count, 10);
    EXPECT_EQ(notified, 11);
}

TEST(HandOver, NeverStartedWorkerNeedsNoWait) {
    HandOver handOver;
    CountingWorker worker(handOver, 3);
    worker.WaitFor();
    EXPECT_EQ(worker.count, 0);
    EXPECT_FALSE(worker.Finished());
}

}  // namespace
}  // namespace pixelary
