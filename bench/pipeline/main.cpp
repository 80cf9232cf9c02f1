// SPDX-License-Identifier: GPL-3.0-or-later
// bench_pipeline [--count N] [--size WxH] [--format jpg|bmp] [--keep DIR]: generates N
// photographs (smooth gradients with grain, every one different; JPEG files made from them by
// ImageMagick's mogrify, or the 24-bit BMP files themselves), then runs "pixthumb --folder"
// over them with an empty cache (cold) and again with the filled cache (warm), and prints
// thumbnails per second for both. pixthumb is taken from this program's folder.

#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/Dib.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDefaultCount = 200;
constexpr int kDefaultWidth = 1600;
constexpr int kDefaultHeight = 1200;
constexpr std::int32_t kRoomyCacheKB = 1 << 20;  // no eviction between the runs
constexpr int kGrain = 16;

struct Options {
    int count = kDefaultCount;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    std::string format = "jpg";
    std::string keep;
};

bool ParseInt(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size() && value > 0;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view arg = argv[i];
        const std::string_view value = argv[i + 1];
        if (arg == "--count") {
            if (!ParseInt(value, options.count)) return false;
        } else if (arg == "--size") {
            const auto x = value.find('x');
            if (x == std::string_view::npos || !ParseInt(value.substr(0, x), options.width) ||
                !ParseInt(value.substr(x + 1), options.height)) {
                return false;
            }
        } else if (arg == "--format") {
            if (value != "jpg" && value != "bmp") return false;
            options.format = value;
        } else if (arg == "--keep") {
            options.keep = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

// A different picture for every seed: two crossing gradients and some grain.
void WritePhotograph(const std::string& path, int width, int height, std::uint32_t seed) {
    pixelary::Dib photo(width, height, 24);
    std::uint32_t state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = photo.Row(y);
        for (int x = 0; x < width; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int grain = static_cast<int>(state % kGrain);
            row[3 * x] = static_cast<std::uint8_t>((x * 255 / width + seed * 7 + grain) & 0xFF);
            row[3 * x + 1] = static_cast<std::uint8_t>((y * 255 / height + grain) & 0xFF);
            row[3 * x + 2] = static_cast<std::uint8_t>(((x + y + seed * 13) / 8 + grain) & 0xFF);
        }
    }
    photo.SaveToFile(path);
}

// Turns every BMP file of the folder into a JPEG file of the same name, as a camera would write.
bool ConvertToJpeg(const std::string& folder) {
    const std::string command = "cd '" + folder + "' && mogrify -quality 90 -format jpg *.bmp";
    if (std::system(command.c_str()) != 0) return false;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".bmp") fs::remove(entry.path());
    }
    return true;
}

std::string ProgramFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path().string();
}

struct RunResult {
    double seconds = 0;
    int made = 0;
    int hits = 0;
};

bool ReadValue(const std::string& out, const std::string& label, double& value) {
    const auto at = out.find(label);
    if (at == std::string::npos) return false;
    return std::sscanf(out.c_str() + at + label.size(), "%lf", &value) == 1;
}

bool RunPixthumb(const std::string& folder, const std::string& cache, RunResult& result) {
    const std::string command = ProgramFolder() + "/pixthumb --folder '" + folder + "' --cache '" +
                                cache + "' --limit " + std::to_string(kRoomyCacheKB);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    std::string out;
    char chunk[4096];
    std::size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) out.append(chunk, n);
    if (pclose(pipe) != 0) return false;
    double made = 0;
    double hits = 0;
    const bool ok = ReadValue(out, "elapsed: ", result.seconds) &&
                    ReadValue(out, "thumbnails made: ", made) &&
                    ReadValue(out, "cache hits: ", hits);
    result.made = static_cast<int>(made);
    result.hits = static_cast<int>(hits);
    return ok;
}

void Report(const char* name, const RunResult& run) {
    const int thumbnails = run.made + run.hits;
    std::printf("%-5s %4d thumbnails (%d made, %d from the cache) in %.3f s: %.1f thumbnails/s\n",
                name, thumbnails, run.made, run.hits, run.seconds,
                run.seconds > 0 ? thumbnails / run.seconds : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(
            stderr,
            "usage: bench_pipeline [--count N] [--size WxH] [--format jpg|bmp] [--keep DIR]\n");
        return 2;
    }
    std::string pattern = (fs::temp_directory_path() / "pixelary-bench-XXXXXX").string();
    const fs::path root =
        options.keep.empty() ? fs::path(::mkdtemp(pattern.data())) : fs::path(options.keep);
    const std::string folder = (root / "photos").string();
    const std::string cache = (root / "cache").string();
    fs::create_directories(folder);
    fs::remove_all(cache);
    fs::create_directories(cache);
    for (int i = 0; i < options.count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/IMG_%04d.", i + 1);
        if (!fs::exists(folder + name + options.format)) {
            WritePhotograph(folder + name + "bmp", options.width, options.height,
                            static_cast<std::uint32_t>(i));
        }
    }
    if (options.format == "jpg" && !ConvertToJpeg(folder)) {
        std::fprintf(stderr,
                     "bench_pipeline: mogrify (ImageMagick) could not make the JPEG files\n");
        return 1;
    }
    std::printf("%d photographs (%s) of %d x %d in %s\n", options.count, options.format.c_str(),
                options.width, options.height, folder.c_str());
    RunResult cold;
    RunResult warm;
    const bool ok = RunPixthumb(folder, cache, cold) && RunPixthumb(folder, cache, warm);
    if (ok) {
        Report("cold", cold);
        Report("warm", warm);
    } else {
        std::fprintf(stderr, "bench_pipeline: pixthumb failed\n");
    }
    if (options.keep.empty()) fs::remove_all(root);
    return ok ? 0 : 1;
}
