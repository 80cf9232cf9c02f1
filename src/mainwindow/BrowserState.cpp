// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/BrowserState.h"

#include "cache/MCacheFile.h"
#include "model/MExplorerItem.h"
#include "model/MWalkQueue.h"
#include "scanner/MScanIcon.h"

namespace pixelary {

BrowserState::BrowserState() = default;
BrowserState::~BrowserState() = default;

}  // namespace pixelary
