// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/Dib.h"
#include "fileops/Wallpaper.h"

namespace pixelary::fileops {

// The picture at path read through the reader factory, upright, at the wallpaper size for
// screen, at the reader's own depth and palette. Empty when no reader takes the file; a reader's
// error while producing rows propagates.
Dib MakeWallpaperBitmap(const std::string& path, const std::string& extension, Size screen);

// Saves bitmap as folder/baseName.bmp, replacing any file of that name; returns the path.
// Raises EFCreateError when the file cannot be written.
std::string SaveWallpaperBitmap(const Dib& bitmap, const std::string& folder,
                                const std::string& baseName);

}  // namespace pixelary::fileops
