// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/PictureCache.h"

#include "mainwindow/BmpStreamImage.h"
#include "model/MExplorerItem.h"

namespace pixelary {
namespace {

// Drawn without a conversion at every paint; the pixels stay as decoded.
QImage ForPainting(QImage picture) {
    if (picture.isNull()) return picture;
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
}

}  // namespace

QImage PictureCache::Picture(MExplorerItem& entry) {
    MemoryStream& stream = entry.GetLargeImageStream();
    const std::uint64_t stamp = entry.LargeImageStamp();
    const auto found = kept_.find(&entry);
    if (found != kept_.end()) {
        recent_.splice(recent_.begin(), recent_, found->second.use);
        if (found->second.stamp == stamp) return found->second.picture;
        found->second.stamp = stamp;
        found->second.picture = ForPainting(LoadBmpImage(stream));
        return found->second.picture;
    }
    if (kept_.size() >= capacity_ && !recent_.empty()) {
        kept_.erase(recent_.back());
        recent_.pop_back();
    }
    recent_.push_front(&entry);
    Kept& kept = kept_[&entry];
    kept.stamp = stamp;
    kept.picture = ForPainting(LoadBmpImage(stream));
    kept.use = recent_.begin();
    return kept.picture;
}

}  // namespace pixelary
