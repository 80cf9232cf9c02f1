// SPDX-License-Identifier: GPL-3.0-or-later
// The scanner thread and the main thread may each hold readers at once: readers share no state,
// and the library-reader seam may be replaced while another thread uses the factory.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ReaderTestSupport.h"
#include "core/Exception.h"

namespace pixelary {
namespace {

std::vector<std::uint8_t> Thumbnail(const std::string& file, const std::string& key) {
    auto reader = CreateDiskImage(test::Fixture(file), key);
    if (!reader) return {};
    return test::Decode(*reader, 20, 12).Pixels();
}

TEST(ReaderThreads, ConcurrentDecodesAgreeWithASingleThread) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"readers/bmp/rgb24.bmp", "bmp"},   {"readers/tga/pal8.tga", "tga"},
        {"readers/pcx/rgb24.pcx", "pcx"},   {"readers/tif/strips5.tif", "tif"},
        {"readers/psd/rgb-rle.psd", "psd"}, {"readers/bmp/rle8.bmp", "bmp"}};
    std::vector<std::vector<std::uint8_t>> expected;
    for (const auto& [file, key] : files) expected.push_back(Thumbnail(file, key));

    std::atomic<bool> stop{false};
    std::thread swapper([&stop] {
        while (!stop) {
            SetLibraryReaderFactory(
                [](const std::string&, const std::string&) -> std::unique_ptr<MDiskImage> {
                    throw EInOutError("Lib bit error");
                });
            SetLibraryReaderFactory(nullptr);
        }
    });
    std::atomic<int> mismatches{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 2; ++t) {
        workers.emplace_back([&] {
            for (int round = 0; round < 5; ++round) {
                for (std::size_t i = 0; i < files.size(); ++i) {
                    if (Thumbnail(files[i].first, files[i].second) != expected[i]) ++mismatches;
                }
            }
        });
    }
    for (auto& worker : workers) worker.join();
    stop = true;
    swapper.join();
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace pixelary
