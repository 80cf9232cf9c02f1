// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>

namespace pixelary {

class MExplorerItem;

// The decoded large images of the entries painted lately, so that a repaint draws them instead
// of decoding every cell's BMP stream again. A picture is decoded again once the entry's stream
// was replaced (its stamp changed); the least recently painted ones give way beyond capacity.
class PictureCache {
  public:
    static constexpr std::size_t kDefaultCapacity = 512;  // several screens of cells

    explicit PictureCache(std::size_t capacity = kDefaultCapacity) : capacity_(capacity) {}

    // The entry's large image, made first from the shell icon when it has none yet.
    QImage Picture(MExplorerItem& entry);
    std::size_t Size() const { return kept_.size(); }

  private:
    struct Kept {
        std::uint64_t stamp = 0;
        QImage picture;
        std::list<const MExplorerItem*>::iterator use;
    };

    std::size_t capacity_;
    // Entries are only compared by address, never reached through it: an entry that is gone
    // leaves a record whose stamp no other entry's stream can have.
    std::unordered_map<const MExplorerItem*, Kept> kept_;
    std::list<const MExplorerItem*> recent_;  // most recently painted first
};

}  // namespace pixelary
