// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "scanner/WorkerThread.h"
#include "scanner/qt/HandOverPump.h"

namespace pixelary {
namespace {

// Makes its calls, then quits the loop from the owner thread.
class LoopWorker : public WorkerThread {
  public:
    LoopWorker(HandOver& handOver, QEventLoop& loop) : WorkerThread(handOver), loop_(loop) {}
    ~LoopWorker() override { WaitFor(); }
    int count = 0;

  protected:
    void Execute() override {
        for (int i = 0; i < 20; ++i) Synchronize([this] { ++count; });
        Synchronize([this] { loop_.quit(); });
    }

  private:
    QEventLoop& loop_;
};

TEST(HandOverPump, TheEventLoopServesTheWorker) {
    int argc = 1;
    char name[] = "scanner_qt_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    HandOver handOver;
    HandOverPump pump(handOver);
    QEventLoop loop;
    LoopWorker worker(handOver, loop);
    QTimer::singleShot(10000, &loop, [&] { loop.exit(1); });  // a hang fails instead of blocking
    worker.Resume();
    EXPECT_EQ(loop.exec(), 0);
    worker.WaitFor();
    EXPECT_EQ(worker.count, 20);
}

}  // namespace
}  // namespace pixelary
