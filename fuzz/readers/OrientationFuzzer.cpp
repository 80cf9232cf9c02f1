// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the orientation tag search, as a JPEG stream and as a TIFF structure,
// and turns a small bitmap by whatever it finds. Every input must end in an orientation;
// crashes, hangs, leaks and huge allocations are not allowed.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Dib.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "readers/Orientation.h"

namespace {

pixelary::Orientation Search(const std::uint8_t* data, std::size_t size, bool jpeg) {
    pixelary::MemoryStream in(std::vector<std::uint8_t>(data, data + size));
    try {
        return jpeg ? pixelary::ReadJpegOrientation(in)
                    : pixelary::ReadTiffOrientation(in, 0, in.Size());
    } catch (const pixelary::EReadError&) {
        return pixelary::Orientation::Normal;  // cut short: shown as stored
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const pixelary::Dib picture(5, 3, 4);
    for (bool jpeg : {true, false}) {
        const pixelary::Orientation found = Search(data, size, jpeg);
        const pixelary::Dib upright = pixelary::ApplyOrientation(picture, found);
        if (upright.Width() * upright.Height() != 15) __builtin_trap();
    }
    return 0;
}
