// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to one picture reader (chosen by PIXELARY_FUZZ_EXTENSION) through the
// factory and makes a thumbnail, as the scanner does. Refusals are fine; crashes, hangs, leaks
// and huge allocations are not.

#include <cstddef>
#include <cstdint>

#include "common/ThumbnailInput.h"
#include "services/Services.h"

// The own readers only: a file they refuse must not reach the image component.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pixelary::InstallServices({.libraryReader = false});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pixelary::fuzz::ThumbnailOf(data, size, PIXELARY_FUZZ_EXTENSION);
    return 0;
}
