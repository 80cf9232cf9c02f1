// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/Dib.h"

namespace pixelary {

// A thumbnail file of the cache: a BMP file whose file header's reserved field (bytes 6 to 9,
// zero in every thumbnail of earlier versions) says how the thumbnail was made, so thumbnails
// made before a change of the making can be told apart without touching the index layout.
struct ThumbnailFile {
    Dib Bitmap;
    // The thumbnail shows the picture upright as its orientation tag asks; thumbnails of earlier
    // versions showed every picture as stored.
    bool Upright = false;
};

// Writes bitmap as a BMP file carrying the marks of this version. Raises the stream's errors.
void SaveThumbnailFile(const Dib& bitmap, const std::string& path);

// Reads a thumbnail file and its marks. Raises EInOutError for a file that is no usable BMP and
// the stream's errors for one that cannot be read.
ThumbnailFile LoadThumbnailFile(const std::string& path);

}  // namespace pixelary
