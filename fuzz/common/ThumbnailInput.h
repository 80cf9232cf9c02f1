// SPDX-License-Identifier: GPL-3.0-or-later
// What every reader fuzz target does with its input: the bytes become an in-memory file (readers
// open their files by name), and the factory makes a thumbnail of it as the scanner does.
// Refusals are fine; crashes, hangs, leaks and huge allocations are not.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Exception.h"
#include "readers/Rwimage.h"
#include "readers/ThumbnailSize.h"

namespace pixelary::fuzz {

// One reusable in-memory file named through /proc.
class MemoryFile {
  public:
    MemoryFile() : fd_(memfd_create("pixelary-fuzz", 0)) {}
    ~MemoryFile() { close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // The file's name after it holds exactly the given bytes; empty when that failed.
    std::string Fill(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(fd_, 0) != 0 || pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) {
            return {};
        }
        return "/proc/self/fd/" + std::to_string(fd_);
    }

  private:
    int fd_;
};

inline void ThumbnailOf(const std::uint8_t* data, std::size_t size, const char* extension) {
    static MemoryFile file;
    const std::string path = file.Fill(data, size);
    if (path.empty()) return;
    try {
        auto reader = CreateDiskImage(path, extension);
        if (!reader) return;
        const ThumbnailExtent box = ThumbnailSize(reader->GetWidth(), reader->GetHeight());
        StretchWholePicture(*reader, box.Width, box.Height);
    } catch (const Exception&) {
        // a refused or truncated file: the scanner shows the icon instead
    }
}

}  // namespace pixelary::fuzz
