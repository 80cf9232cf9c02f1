// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/DecodePool.h"

#include <algorithm>

#include "core/Log.h"

namespace pixelary {
namespace {

constexpr int kMaxDecodeThreads = 4;

}  // namespace

int DecodeThreadCount() {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, kMaxDecodeThreads);
}

DecodePool::DecodePool(int threads, Work work) : work_(std::move(work)) {
    threads = std::max(threads, 1);
    threads_.reserve(static_cast<std::size_t>(threads));
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Run(); });
}

DecodePool::~DecodePool() {
    Stop();
}

void DecodePool::Submit(ScanJob* job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        queue_.push_back(job);
    }
    queued_.notify_one();
}

bool DecodePool::WaitReady(const ScanJob* job, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const auto found = [&] { return std::find(done_.begin(), done_.end(), job) != done_.end(); };
    if (!finished_.wait_for(lock, timeout, found)) return false;
    done_.erase(std::find(done_.begin(), done_.end(), job));
    return true;
}

void DecodePool::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) {
        if (thread.joinable()) thread.join();
    }
}

void DecodePool::Run() {
    for (;;) {
        ScanJob* job = nullptr;
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;  // stopping
            job = queue_.front();
            queue_.pop_front();
        }
        try {
            work_(*job);
        } catch (...) {
            // The work absorbs its own failures; anything else costs this entry its thumbnail.
            log::Debug(log::Category::Scanner,
                       job->Entry.Path + ": decoding failed: " + log::CurrentErrorText());
            job->Bitmap = Dib();
        }
        {
            std::lock_guard lock(mutex_);
            done_.push_back(job);
        }
        finished_.notify_all();
    }
}

ScanOrder::ScanOrder(int count) : taken_(static_cast<std::size_t>(std::max(count, 0)), false) {}

void ScanOrder::Prefer(int first, int count) {
    const int size = static_cast<int>(taken_.size());
    preferred_ = std::clamp(first, 0, size);
    preferred_end_ = count > 0 ? std::clamp(first + count, preferred_, size) : preferred_;
}

int ScanOrder::Next() {
    const int size = static_cast<int>(taken_.size());
    auto take = [this](int index) {
        taken_[static_cast<std::size_t>(index)] = true;
        return index;
    };
    for (; preferred_ < preferred_end_; ++preferred_) {
        if (!taken_[static_cast<std::size_t>(preferred_)]) return take(preferred_++);
    }
    for (; cursor_ < size; ++cursor_) {
        if (!taken_[static_cast<std::size_t>(cursor_)]) return take(cursor_++);
    }
    return -1;
}

}  // namespace pixelary
