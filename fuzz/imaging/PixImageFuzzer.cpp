// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes, as a file with PIXELARY_FUZZ_EXTENSION, through the image component's
// load path and so through the codec module that reads that format.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imaging/PixImage.h"
#include "services/Services.h"

namespace {

// Ghostscript runs get a short time limit so endless PostScript does not stall the fuzzer.
constexpr const char* kEpsTimeoutSeconds = "3";

struct Harness {
    pixelary::TPixImage image;
    std::string path;
    Harness() {
        image.OnImageError = [](pixelary::TPixImage&, std::int16_t, const std::string&) {};
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir && *dir ? dir : "/tmp") + "/pixfuzz-" + std::to_string(getpid()) +
               "." PIXELARY_FUZZ_EXTENSION;
        setenv("PIXELARY_EPS_TIMEOUT", kEpsTimeoutSeconds, 1);
    }
    ~Harness() { std::remove(path.c_str()); }
};

Harness& Shared() {
    static Harness harness;
    return harness;
}

}  // namespace

// The component is driven directly, not through the readers' fallback.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pixelary::InstallServices({.libraryReader = false});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Harness& h = Shared();
    std::FILE* file = std::fopen(h.path.c_str(), "wb");
    if (!file) return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (!written) return 0;
    try {
        if (size % 2 == 0) {
            h.image.SetImageName(h.path);
        } else {
            // The thumbnail path: decoders may reduce the picture or keep only sampled rows.
            h.image.LoadForSampling(h.path, [](std::int32_t fullWidth, std::int32_t fullHeight,
                                               std::int32_t& width, std::int32_t& height) {
                width = fullWidth / 9 + 1;
                height = fullHeight / 9 + 1;
                return true;
            });
        }
        h.image.SetImageName(std::string());
    } catch (const pixelary::Exception&) {
        // A module that cannot be bound is a set-up problem, not a finding.
        std::abort();
    }
    return 0;
}
