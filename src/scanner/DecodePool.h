// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "core/Dib.h"
#include "scanner/ScanEntries.h"

namespace pixelary {

// One entry of a scan on its way through the decode pool: the snapshot taken on the main thread
// and what a decoding thread made of it.
struct ScanJob {
    int Index = 0;
    EntrySnapshot Entry;
    bool Valid = false;        // a file entry whose snapshot was taken
    Dib Bitmap;                // the thumbnail; empty when there is none
    bool FromCache = false;    // the cache had a record (its image may still have been unreadable)
    bool NeedsDecode = false;  // handed to the pool; otherwise ready at once
};

// Decoding threads that work through jobs in the order they are submitted, so decoding runs on
// every core while the scanner thread alone talks to the main thread. Jobs never call the main
// thread, so stopping only waits for the decodes in progress.
class DecodePool {
  public:
    using Work = std::function<void(ScanJob&)>;

    DecodePool(int threads, Work work);
    // Stops, dropping the jobs not yet started.
    ~DecodePool();
    DecodePool(const DecodePool&) = delete;
    DecodePool& operator=(const DecodePool&) = delete;

    int ThreadCount() const { return static_cast<int>(threads_.size()); }
    // The job stays the caller's; it must outlive its decode (until IsReady or Stop).
    void Submit(ScanJob* job);
    // Waits up to timeout for the job's decode to end; true when it has.
    bool WaitReady(const ScanJob* job, std::chrono::milliseconds timeout);
    // Drops queued jobs, waits for running ones and ends the threads.
    void Stop();

  private:
    void Run();

    Work work_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<ScanJob*> queue_;
    std::vector<const ScanJob*> done_;  // finished jobs not yet waited for
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

// Decoding threads for this machine: one per core, at least 1 and at most 4.
int DecodeThreadCount();

// The entries still to scan and the order to take them in: a preferred range (the entries in
// view) first, then the others from the lowest position up. Every entry is taken once.
class ScanOrder {
  public:
    explicit ScanOrder(int count);
    // Takes the entries [first, first + count) before the rest; replaces an earlier preference.
    void Prefer(int first, int count);
    // The next entry, or -1 when every entry was taken.
    int Next();

  private:
    std::vector<bool> taken_;
    int cursor_ = 0;
    int preferred_ = 0;
    int preferred_end_ = 0;
};

}  // namespace pixelary
