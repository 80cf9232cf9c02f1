// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as a print style record and lays out pages with it on a few sheets, as
// the print dialog does, then walks every cell of the first page. Refusals (the style file
// error) are fine; crashes, hangs, undefined arithmetic and huge allocations are not.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Exception.h"
#include "print/MPrint.h"
#include "print/PrintSettings.h"

namespace {

// An A4 sheet with 0.5 cm margins, a tiny sheet and a long roll.
constexpr pixelary::PaperMetrics kSheets[] = {
    {21.0, 29.7, 0.5, 0.5, 20.0, 28.7},
    {1.0, 1.0, 0.0, 0.0, 1.0, 1.0},
    {10.0, 1000.0, 0.2, 0.2, 9.6, 999.6},
};
constexpr std::int32_t kPictureCounts[] = {0, 1, 37};
// A page has at most 999 x 999 cells; walking a few thousand covers every branch.
constexpr std::int32_t kCellsWalked = 4096;

void LayOut(const pixelary::PrintSettings& style) {
    for (const auto& sheet : kSheets) {
        for (const std::int32_t pictures : kPictureCounts) {
            const auto layout = pixelary::ComputeLayout(style, sheet, pictures, 0, 0, 2480, 3508);
            for (std::int32_t k = 0; k < std::min(layout.CellsPerPage(), kCellsWalked); ++k) {
                pixelary::CellOfSequence(layout, k);
            }
            pixelary::PreviewPageRect(sheet, 300, 400);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        LayOut(pixelary::PrintSettings::FromBytes(std::span(data, size)));
    } catch (const pixelary::Exception&) {
    }
    return 0;
}
