// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderScan.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cache/MCacheFile.h"
#include "core/Exception.h"
#include "readers/ThumbnailSize.h"
#include "scanner/MScanIcon.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitNoFolder = 1;
constexpr int kExitUsage = 2;
constexpr std::int32_t kDefaultLimitKB = 4096;  // the program's default "Cache size"

struct FolderOptions {
    std::string folder;
    std::string cache;
    std::int32_t limit_kb = kDefaultLimitKB;
    bool reload = false;
};

std::optional<std::int32_t> ParseLimit(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

std::optional<FolderOptions> ParseFolderArguments(int argc, char** argv) {
    FolderOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--reload") {
            options.reload = true;
        } else if (arg == "--folder" && has_value) {
            options.folder = argv[++i];
        } else if (arg == "--cache" && has_value) {
            options.cache = argv[++i];
        } else if (arg == "--limit" && has_value) {
            const auto limit = ParseLimit(argv[++i]);
            if (!limit) return std::nullopt;
            options.limit_kb = *limit;
        } else {
            return std::nullopt;
        }
    }
    if (options.folder.empty()) return std::nullopt;
    return options;
}

// Prints each change of progress on its own line.
class PrintingView : public pixelary::ScanView {
  public:
    void InvalidateItem(int) override {}
    void SetProgress(int value) override {
        if (value == last_) return;
        last_ = value;
        if (value >= 0) std::printf("progress %d%%\n", value);
    }

  private:
    int last_ = -2;
};

// A cache that cannot be read is reported and the scan goes on, as the program does.
std::unique_ptr<pixelary::MCacheFileManager> OpenCache(const FolderOptions& options) {
    if (options.cache.empty()) return nullptr;
    auto cache = std::make_unique<pixelary::MCacheFileManager>();
    cache->SetDirectory(options.cache);
    cache->SetLimit(options.limit_kb);
    cache->SetSorted(true);
    try {
        cache->Load();
    } catch (const pixelary::Exception& error) {
        std::fprintf(stderr, "pixthumb: cache index: %s\n", error.what());
    }
    return cache;
}

void SaveCache(pixelary::MCacheFileManager* cache) {
    if (cache == nullptr) return;
    try {
        cache->Save();
    } catch (const pixelary::Exception& error) {
        std::fprintf(stderr, "pixthumb: cache index: %s\n", error.what());
    }
}

}  // namespace

int RunFolderScan(int argc, char** argv) {
    const auto options = ParseFolderArguments(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: pixthumb --folder DIR [--cache DIR] [--limit KB] [--reload]\n");
        return kExitUsage;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(options->folder, ec)) {
        std::fprintf(stderr, "pixthumb: %s: not a folder\n", options->folder.c_str());
        return kExitNoFolder;
    }
    const auto start = std::chrono::steady_clock::now();
    auto cache = OpenCache(*options);
    if (cache) std::printf("cache: %s\n", cache->Directory().c_str());
    pixelary::DirectoryScanEntries entries(options->folder);
    PrintingView view;
    int made = 0;
    int hits = 0;
    {
        pixelary::MScanIcon scanner(view, cache.get(), options->reload ? 1 : 0);
        scanner.Start(&entries, pixelary::kThumbnailBoxWidth, pixelary::kThumbnailBoxHeight);
        scanner.WaitFor();  // serves the scanner's hand-over calls on this thread
        made = scanner.ThumbnailsMade;
        hits = scanner.CacheHits;
    }
    SaveCache(cache.get());
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("entries: %d\nthumbnails made: %d\ncache hits: %d\nelapsed: %.3f s\n",
                entries.ChildCount(), made, hits, elapsed.count());
    return kExitDone;
}
