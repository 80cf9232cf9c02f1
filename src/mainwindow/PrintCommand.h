// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include "print/MPrint.h"

class QWidget;

namespace pixelary {

// Where the print command meets the system. Each has a real default; tests replace them.
struct PrintCommandHooks {
    // Whether any printer is installed.
    std::function<bool()> HasPrinter;
    // Opens the print dialog on the job, modally, on the default printer.
    std::function<void(QWidget* parent, PrintJob job)> RunPrintDialog;

    static PrintCommandHooks Default();
};

}  // namespace pixelary
