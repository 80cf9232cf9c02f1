// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/WorkerThread.h"

#include "core/Log.h"

namespace pixelary {

WorkerThread::WorkerThread(HandOver& handOver) : hand_over_(handOver) {}

WorkerThread::~WorkerThread() {
    WaitFor();
}

void WorkerThread::Resume() {
    if (Started()) return;
    thread_ = std::thread([this] { Run(); });
}

void WorkerThread::Run() {
    try {
        Execute();
    } catch (...) {
        // A worker's failure ends its thread; the owner only learns that it finished.
        log::Debug(log::Category::Scanner, "worker thread ended by: " + log::CurrentErrorText());
    }
    finished_.store(true);
    hand_over_.Wake();
}

void WorkerThread::WaitFor() {
    if (!thread_.joinable()) return;
    hand_over_.ServeUntil([this] { return finished_.load(); });
    thread_.join();
}

}  // namespace pixelary
