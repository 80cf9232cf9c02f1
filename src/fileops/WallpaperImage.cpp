// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileops/WallpaperImage.h"

#include <algorithm>
#include <filesystem>

#include "readers/Rwimage.h"

namespace pixelary::fileops {

Dib MakeWallpaperBitmap(const std::string& path, const std::string& extension, Size screen) {
    std::unique_ptr<MDiskImage> reader = CreateDiskImage(path, extension);
    if (!reader) return {};
    const Size picture{reader->GetWidth(), reader->GetHeight()};
    const Size target = WallpaperTargetSize(picture, screen);
    const int depth = reader->GetBitCount();
    if (!Dib::IsValidDepth(depth) || target.width < 1 || target.height < 1) return {};
    Dib bitmap(target.width, target.height, depth);
    if (depth <= 8) {
        bitmap.SetPalette(reader->GetPalette());
    } else {
        std::fill(bitmap.Pixels().begin(), bitmap.Pixels().end(), 0xFF);  // drawings play on white
    }
    reader->StretchBegin(0, 0, picture.width, picture.height, target.width, target.height);
    reader->StretchLines(bitmap, target.height);
    reader->StretchEnd();
    return bitmap;
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
