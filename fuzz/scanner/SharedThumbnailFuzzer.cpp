// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the reader of the desktop's shared thumbnails.
// Refusals are fine; crashes, hangs, leaks and huge allocations are not.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "scanner/ThumbnailPng.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = memfd_create("pixelary-fuzz-shared-thumbnail", 0);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        return 0;
    }
    const auto png = pixelary::ReadThumbnailPng(
        "/proc/self/fd/" + std::to_string(fd),
        [](const pixelary::ThumbnailPng& header) { return header.TextOf("Thumb::URI") != "x"; });
    // Every row the reader reports must be there.
    if (png && png->Rows.size() != static_cast<std::size_t>(png->Width) * png->Height * 3) {
        __builtin_trap();
    }
    return 0;
}
