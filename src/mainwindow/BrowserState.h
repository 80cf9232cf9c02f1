// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

namespace pixelary {

class MCacheFileManager;
class MExplorerItem;
class MScanIcon;
class MWalkQueue;

// What the main window browses: the history of locations, the shown folder (its children are
// the entries of the view), the thumbnail cache and the scanner working on the folder. Owned by
// the main window; its parts read and replace these in place. The folder is never released
// while a scanner can still run.
struct BrowserState {
    BrowserState();
    ~BrowserState();  // where the owned types are complete
    BrowserState(const BrowserState&) = delete;
    BrowserState& operator=(const BrowserState&) = delete;

    std::unique_ptr<MWalkQueue> History;
    std::unique_ptr<MExplorerItem> Folder;
    std::unique_ptr<MCacheFileManager> Cache;
    std::unique_ptr<MScanIcon> Scanner;
};

}  // namespace pixelary
