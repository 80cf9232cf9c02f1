// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "model/MItem.h"
#include "model/MPidl.h"
#include "platform/api/ShellFolder.h"

namespace pixelary {

// A location: a chain of levels from the desktop (level 0) down to a shown folder. Each level
// holds the folder that contains its item and the item's relative list. The first level owns
// the rest of the chain.
class MFolderPath : public MItem {
  public:
    MFolderPath(shell::FolderPtr folder, shell::IdList list);
    // Deep copy: the same folder objects, copies of the lists.
    MFolderPath(const MFolderPath& other);
    MFolderPath& operator=(const MFolderPath&) = delete;
    ~MFolderPath() override;

    int Depth() const;
    // Level i's fields; level 0 for i of 0 or less, the last level for i past the end.
    const shell::FolderPtr& FolderAt(int i) const;
    const MPidl& IdAt(int i) const;

    void AppendLevel(shell::FolderPtr folder, shell::IdList list);
    // Destroys the last level unless this is the only one.
    void RemoveLastLevel();

  private:
    const MFolderPath* Level(int i) const;

    shell::FolderPtr level_folder_;
    std::unique_ptr<MPidl> level_id_;
};

}  // namespace pixelary
