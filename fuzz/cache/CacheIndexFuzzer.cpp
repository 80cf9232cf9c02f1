// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as the cache index "Pixelary.cac" of a directory holding a few
// thumbnail files, then saves and reloads it. Refusals (the read error) are fine; crashes,
// hangs, leaks, huge allocations and files touched outside the directory are not.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cache/MCacheFile.h"
#include "core/Exception.h"

namespace {

namespace fs = std::filesystem;

const char* const kThumbnails[] = {"PX1A2B.TMP", "PX0001.TMP", "PX0002.TMP", "PX0003.TMP"};

std::string Directory() {
    static const std::string directory = [] {
        std::string pattern = (fs::temp_directory_path() / "pixelary-fuzz-XXXXXX").string();
        return std::string(::mkdtemp(pattern.data()));
    }();
    return directory;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size != 0) std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string directory = Directory();
    const std::uint8_t thumbnail[100] = {};
    for (const char* name : kThumbnails) {
        WriteFile(directory + "/" + name, thumbnail, sizeof thumbnail);
    }
    WriteFile(directory + "/" + pixelary::MCacheFileManager::kIndexFileName, data, size);
    pixelary::MCacheFileManager cache;
    cache.SetDirectory(directory);
    cache.SetLimit(2);  // evicts while loading
    cache.SetSorted(true);
    try {
        cache.Load();
        cache.Save();
        cache.Load();
    } catch (const pixelary::Exception&) {
    }
    return 0;
}
