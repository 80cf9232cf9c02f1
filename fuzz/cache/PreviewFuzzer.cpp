// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the scanner's embedded-preview reader as an "osp" document.
// Refusals are fine; crashes, hangs, leaks and huge allocations are not.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Exception.h"
#include "scanner/MScanIcon.h"

namespace {

// Ignores what the scanner reports; the scanner is never started here.
class NoView : public pixelary::ScanView {
  public:
    void InvalidateItem(int) override {}
    void SetProgress(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = memfd_create("pixelary-fuzz-osp", 0);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        return 0;
    }
    NoView view;
    pixelary::MScanIcon scanner(view, nullptr, 0);
    scanner.EntryPath = "/proc/self/fd/" + std::to_string(fd);
    try {
        scanner.ReadEmbeddedPreview();
    } catch (const pixelary::Exception&) {
    }
    return 0;
}
