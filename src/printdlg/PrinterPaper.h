// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "print/MPrint.h"

class QPrinter;

namespace pixelary {

// A paper the printer offers: its paper code (the Windows paper number) and its name.
struct PaperEntry {
    std::uint16_t Code = 0;
    QString Name;
};

// The papers the printer's driver lists, in its order; papers without a paper code are left out.
std::vector<PaperEntry> PrinterPapers(const QPrinter& printer);
// The paper code of the printer's current paper; 0 when it has none.
std::uint16_t CurrentPaperCode(const QPrinter& printer);

// Sets the paper and orientation on the printer, then measures the sheet and its printable area
// in centimetres.
PaperMetrics MeasurePaper(QPrinter& printer, std::uint16_t paperCode, bool portrait);

// The whole sheet on the printer's canvas, whose origin is the printable area's corner.
PageRect PrinterPageRect(const QPrinter& printer);

}  // namespace pixelary
