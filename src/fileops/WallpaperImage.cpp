// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileops/WallpaperImage.h"

#include <filesystem>

#include "readers/Rwimage.h"

namespace pixelary::fileops {

Dib MakeWallpaperBitmap(const std::string& path, const std::string& extension, Size screen) {
    std::unique_ptr<MDiskImage> reader = CreateDiskImage(path, extension);
    if (!reader) return {};
    const Size target =
        WallpaperTargetSize({reader->UprightWidth(), reader->UprightHeight()}, screen);
    return StretchUpright(*reader, target.width, target.height);
}

std::string SaveWallpaperBitmap(const Dib& bitmap, const std::string& folder,
                                const std::string& baseName) {
    const std::filesystem::path file = std::filesystem::path(folder) / (baseName + ".bmp");
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    std::filesystem::remove(file, ignored);
    bitmap.SaveToFile(file.string());
    return file.string();
}

}  // namespace pixelary::fileops
