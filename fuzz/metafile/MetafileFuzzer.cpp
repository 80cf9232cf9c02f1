// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the metafile reader (extension PIXELARY_FUZZ_EXTENSION) and plays the
// result onto a thumbnail-sized bitmap, text included.

#include <sys/mman.h>
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "core/Dib.h"
#include "core/Exception.h"
#include "metafile/MetafileLoader.h"
#include "readers/Rwimage.h"
#include "readers/ThumbnailSize.h"

namespace {

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    pixelary::metafile::InstallMetafileLoader();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static MemoryFile file;
    const std::string path = file.Fill(data, size);
    if (path.empty()) return 0;
    try {
        auto reader = pixelary::CreateDiskImage(path, PIXELARY_FUZZ_EXTENSION);
        if (!reader) return 0;
        const auto box = pixelary::ThumbnailSize(reader->GetWidth(), reader->GetHeight());
        pixelary::Dib bitmap(box.Width, box.Height, reader->GetBitCount());
        reader->StretchBegin(0, 0, reader->GetWidth(), reader->GetHeight(), box.Width, box.Height);
        reader->StretchLines(bitmap, box.Height);
        reader->StretchEnd();
    } catch (const pixelary::Exception&) {
    }
    return 0;
}
