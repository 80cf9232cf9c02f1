// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to one picture reader (chosen by PIXELARY_FUZZ_EXTENSION) through the
// factory and makes a thumbnail, as the scanner does. Refusals are fine; crashes, hangs, leaks
// and huge allocations are not.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Dib.h"
#include "core/Exception.h"
#include "readers/Rwimage.h"
#include "readers/ThumbnailSize.h"

namespace {

// The input lives in an in-memory file, since readers open their files by name.
class MemoryFile {
  public:
    MemoryFile() : fd_(memfd_create("pixelary-fuzz", 0)) {}
    ~MemoryFile() { close(fd_); }
    std::string Fill(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(fd_, 0) != 0 || pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) {
            return {};
        }
        return "/proc/self/fd/" + std::to_string(fd_);
    }

  private:
    int fd_;
};

void Thumbnail(pixelary::MDiskImage& reader) {
    const auto size = pixelary::ThumbnailSize(reader.GetWidth(), reader.GetHeight());
    if (!pixelary::Dib::IsValidDepth(reader.GetBitCount())) return;
    pixelary::Dib bitmap(size.Width, size.Height, reader.GetBitCount());
    if (reader.GetBitCount() <= 8) bitmap.SetPalette(reader.GetPalette());
    reader.StretchBegin(0, 0, reader.GetWidth(), reader.GetHeight(), size.Width, size.Height);
    reader.StretchLines(bitmap, size.Height);
    reader.StretchEnd();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    const std::string path = file.Fill(data, size);
    if (path.empty()) return 0;
    try {
        auto reader = pixelary::CreateDiskImage(path, PIXELARY_FUZZ_EXTENSION);
        if (reader) Thumbnail(*reader);
    } catch (const pixelary::Exception&) {
        // a refused or truncated file: the scanner shows the icon instead
    }
    return 0;
}
