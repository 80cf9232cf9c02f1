// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/Dib.h"
#include "core/Exception.h"
#include "readers/Rwimage.h"
#include "scanner/ScanEntries.h"

namespace pixelary::testing {

// Records what the scanner tells the view, and that it is told on the main thread only.
class RecordingView : public ScanView {
  public:
    void InvalidateItem(int index) override {
        CheckThread();
        invalidated.push_back(index);
        if (onInvalidate) onInvalidate(index);
    }
    void SetProgress(int value) override {
        CheckThread();
        progress.push_back(value);
        if (onProgress) onProgress(value);
    }

    std::vector<int> invalidated;
    std::vector<int> progress;
    std::function<void(int)> onInvalidate;
    std::function<void(int)> onProgress;
    bool calledOffMainThread = false;

  private:
    void CheckThread() {
        if (std::this_thread::get_id() != main_) calledOffMainThread = true;
    }
    std::thread::id main_ = std::this_thread::get_id();
};

// Stands in for the image library: a 200 x 100 24-bit picture of one grey for any file whose
// content does not start with "bad".
class FakeLibraryReader : public MDiskImage {
  public:
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 100;
    static constexpr std::uint8_t kGrey = 0x80;

    FakeLibraryReader(const std::string& path, const std::string& extension)
        : MDiskImage(path, extension) {
        ImageInfo.Width = kWidth;
        ImageInfo.Height = kHeight;
        ImageInfo.BitCount = 24;
    }
    void StretchLines(Dib& bitmap, std::int32_t count) override {
        for (std::int32_t y = 0; y < count; ++y) {
            std::fill(bitmap.Row(y), bitmap.Row(y) + bitmap.Stride(), kGrey);
        }
    }
};

// Installs the fake library reader for the life of the object and counts what it is asked.
class FakeLibrary {
  public:
    FakeLibrary() {
        SetLibraryReaderFactory([this](const std::string& path, const std::string& key) {
            ++calls;
            {
                std::lock_guard lock(mutex);  // every decoding thread calls
                keys.push_back(key);
            }
            if (delay.count() > 0) std::this_thread::sleep_for(delay);
            std::FILE* file = std::fopen(path.c_str(), "rb");
            char head[3] = {};
            const bool bad = file != nullptr && std::fread(head, 1, 3, file) == 3 &&
                             std::string(head, 3) == "bad";
            if (file != nullptr) std::fclose(file);
            if (bad) throw EInOutError("not a picture");
            return std::unique_ptr<MDiskImage>(std::make_unique<FakeLibraryReader>(path, key));
        });
    }
    ~FakeLibrary() { SetLibraryReaderFactory({}); }
    FakeLibrary(const FakeLibrary&) = delete;
    FakeLibrary& operator=(const FakeLibrary&) = delete;

    // The keys asked for, in any order (the decoding threads may take them in any order).
    std::vector<std::string> SortedKeys() {
        std::lock_guard lock(mutex);
        std::vector<std::string> sorted = keys;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }

    std::atomic<int> calls{0};
    std::mutex mutex;
    std::vector<std::string> keys;
    // How long each decode takes; set before a scan starts.
    std::chrono::milliseconds delay{0};
};

}  // namespace pixelary::testing
