// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the thumbnail scanner.
#include "mainwindow/Main.h"

namespace pixelary {

void TMainForm::StartScanner(bool) {}

void TMainForm::StopScanner() {}

bool TMainForm::WaitForScanner(int) {
    return true;
}

}  // namespace pixelary
