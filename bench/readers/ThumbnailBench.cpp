// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the scanner's thumbnail of a 24-bit 8000 x 6000 BMP and TIFF (written to a temporary
// folder first) and prints, for each, the time, the bytes read from the file system and the
// peak heap in use while the thumbnail is made, next to the file size.
// Usage: bench_readers [width height [repeats]]

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "core/Dib.h"
#include "readers/Rwimage.h"
#include "readers/ThumbnailSize.h"

namespace {

// Heap use, counted by the replaced global allocation functions below.
std::atomic<long long> g_heap_now{0};
std::atomic<long long> g_heap_peak{0};

void Note(long long delta) {
    const long long now = g_heap_now += delta;
    long long peak = g_heap_peak.load();
    while (now > peak && !g_heap_peak.compare_exchange_weak(peak, now)) {
    }
}

}  // namespace

void* operator new(std::size_t size) {
    auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (!block) throw std::bad_alloc();
    *block = size;
    Note(static_cast<long long>(size));
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}
void operator delete(void* p) noexcept {
    if (!p) return;
    auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
    Note(-static_cast<long long>(*block));
    std::free(block);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

void Put16(std::ofstream& out, unsigned v) {
    const char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    out.write(b, 2);
}
void Put32(std::ofstream& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::vector<char> PatternRow(int width, int y) {
    std::vector<char> row(static_cast<std::size_t>(width) * 3 + 3);
    for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<char>(x);
        row[3 * x + 1] = static_cast<char>(y);
        row[3 * x + 2] = static_cast<char>(x ^ y);
    }
    return row;
}

void WriteBmp(const std::string& path, int width, int height) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    std::ofstream out(path, std::ios::binary);
    out.write("BM", 2);
    Put32(out, 54 + stride * height);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);
    Put16(out, 24);
    for (int i = 0; i < 6; ++i) Put32(out, 0);
    for (int y = 0; y < height; ++y) out.write(PatternRow(width, y).data(), stride);
}

// Little-endian, uncompressed RGB, 64 rows a strip; the strip table follows the directory.
void WriteTiff(const std::string& path, int width, int height) {
    const std::uint32_t rows_per_strip = 64;
    const std::uint32_t strips = (height + rows_per_strip - 1) / rows_per_strip;
    const std::uint32_t row_bytes = static_cast<std::uint32_t>(width) * 3;
    const int entries = 9;
    const std::uint32_t directory_end = 8 + 2 + 12 * entries + 4;
    const std::uint32_t bits_at = directory_end;
    const std::uint32_t table_at = bits_at + 6;
    const std::uint32_t data_at = table_at + 4 * strips;
    std::ofstream out(path, std::ios::binary);
    out.write("II", 2);
    Put16(out, 42);
    Put32(out, 8);
    Put16(out, entries);
    const auto entry = [&](unsigned tag, unsigned type, std::uint32_t count, std::uint32_t value) {
        Put16(out, tag);
        Put16(out, type);
        Put32(out, count);
        Put32(out, value);
    };
    entry(256, 4, 1, width);
    entry(257, 4, 1, height);
    entry(258, 3, 3, bits_at);
    entry(259, 3, 1, 1);
    entry(262, 3, 1, 2);
    entry(273, 4, strips, table_at);
    entry(277, 3, 1, 3);
    entry(278, 4, 1, rows_per_strip);
    entry(279, 4, strips, 0);  // byte counts: not read by the reader
    Put32(out, 0);
    Put16(out, 8);
    Put16(out, 8);
    Put16(out, 8);
    for (std::uint32_t s = 0; s < strips; ++s) Put32(out, data_at + s * rows_per_strip * row_bytes);
    for (int y = 0; y < height; ++y) out.write(PatternRow(width, y).data(), row_bytes);
}

long long BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return -1;
}

struct Figures {
    double milliseconds = 0;
    long long bytes_read = 0;
    long long peak_heap = 0;
};

Figures Thumbnail(const std::string& path, const std::string& key) {
    const long long read_before = BytesReadSoFar();
    const long long heap_before = g_heap_now.load();
    g_heap_peak = heap_before;
    const auto start = std::chrono::steady_clock::now();
    {
        auto reader = pixelary::CreateDiskImage(path, key);
        if (!reader) {
            std::fprintf(stderr, "no reader for %s\n", path.c_str());
            std::exit(1);
        }
        const auto size = pixelary::ThumbnailSize(reader->GetWidth(), reader->GetHeight());
        pixelary::Dib bitmap(size.Width, size.Height, reader->GetBitCount());
        reader->StretchBegin(0, 0, reader->GetWidth(), reader->GetHeight(), size.Width,
                             size.Height);
        reader->StretchLines(bitmap, size.Height);
        reader->StretchEnd();
    }
    const auto end = std::chrono::steady_clock::now();
    Figures f;
    f.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    f.bytes_read = BytesReadSoFar() - read_before;
    f.peak_heap = g_heap_peak.load() - heap_before;
    return f;
}

void Report(const char* name, const std::string& path, const std::string& key, int repeats) {
    const auto file_size = static_cast<long long>(std::filesystem::file_size(path));
    Figures best = Thumbnail(path, key);
    for (int i = 1; i < repeats; ++i) {
        const Figures f = Thumbnail(path, key);
        if (f.milliseconds < best.milliseconds) best.milliseconds = f.milliseconds;
    }
    std::printf(
        "%-5s file %11lld bytes | time %8.2f ms (best of %d) | read %10lld bytes (%.3f%% of "
        "file) | peak heap %8lld bytes (%.4f%% of file)\n",
        name, file_size, best.milliseconds, repeats, best.bytes_read,
        100.0 * best.bytes_read / file_size, best.peak_heap, 100.0 * best.peak_heap / file_size);
}

}  // namespace

int main(int argc, char** argv) {
    const int width = argc > 2 ? std::atoi(argv[1]) : 8000;
    const int height = argc > 2 ? std::atoi(argv[2]) : 6000;
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 5;
    const auto folder = std::filesystem::temp_directory_path() / "pixelary-bench-readers";
    std::filesystem::create_directories(folder);
    const std::string bmp = (folder / "big.bmp").string();
    const std::string tif = (folder / "big.tif").string();
    WriteBmp(bmp, width, height);
    WriteTiff(tif, width, height);
    std::printf("thumbnail of a 24-bit %d x %d picture into the %d x %d box\n", width, height,
                pixelary::kThumbnailBoxWidth, pixelary::kThumbnailBoxHeight);
    Report("BMP", bmp, "bmp", repeats);
    Report("TIFF", tif, "tif", repeats);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("process peak resident set: %ld KiB\n", usage.ru_maxrss);
    std::filesystem::remove_all(folder);
    return 0;
}
